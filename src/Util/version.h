#pragma once

#include <QString>

namespace Util {

// The project's version as CMake's project() declares it ("0.1"): the About
// box, every program's --version and torvane.__version__ show this one text.
QString projectVersion();

} // namespace Util
