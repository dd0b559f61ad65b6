// The materials and process catalogues as the program reads them at start.
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "fuzzsupport.h"

namespace {
QString folder;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    folder = QDir(Fuzz::useTemporaryHome()).filePath(QStringLiteral("Torvane"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::writeInput(QDir(folder).filePath(Model::Materials::MaterialFactory::fileName()), data, size);
    Model::Materials::MaterialFactory::instance()->loadMaterials();
    Fuzz::writeInput(QDir(folder).filePath(Model::Process::ProcessFactory::fileName()), data, size);
    Model::Process::ProcessFactory::instance()->loadProcesses();
    return 0;
}
