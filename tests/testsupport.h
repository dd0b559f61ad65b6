#pragma once

#include <QString>

namespace TestSupport {

// The temporary folder HOME points at while tests run.
QString homeDirectory();
// The temporary working directory tests run in.
QString workDirectory();

} // namespace TestSupport
