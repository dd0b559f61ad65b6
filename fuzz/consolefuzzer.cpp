// Lines typed into the command console, with and without a waiting operation.
#include "Core/Operations/consolemodel.h"
#include "Util/vector4d.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::useTemporaryHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    Core::Operations::ConsoleModel console;
    double x, y, z;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        Core::Operations::ConsoleModel::parseVector(line, x, y, z);
        console.processInput(line);
    }
    return 0;
}
