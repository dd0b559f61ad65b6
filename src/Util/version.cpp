#include "version.h"

// Given by CMake for this file only, so a new version rebuilds one file.
#ifndef TORVANE_VERSION
#error "TORVANE_VERSION is set by src/Util/CMakeLists.txt"
#endif

namespace Util {

QString projectVersion() { return QStringLiteral(TORVANE_VERSION); }

} // namespace Util
