#include "testsupport.h"

#include <QDir>

namespace TestSupport {

QString homeDirectory() { return QDir::homePath(); }

QString workDirectory() { return QDir::currentPath(); }

} // namespace TestSupport
