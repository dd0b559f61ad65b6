// Process lists (".plst"): reading, old-name upgrade and material translation.
#include "Core/Operations/BatchRun/processlistfile.h"
#include "fuzzsupport.h"

namespace {
QString inputPath;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    inputPath = QDir(Fuzz::useTemporaryHome()).filePath(QStringLiteral("input.plst"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Core::Operations::ProcessListFile::LoadResult result;
    Core::Operations::ProcessListFile::load(Fuzz::writeInput(inputPath, data, size), result);
    return 0;
}
