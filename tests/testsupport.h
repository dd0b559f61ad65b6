#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// The temporary folder HOME points at while tests run.
QString homeDirectory();
// The temporary working directory tests run in.
QString workDirectory();

// The file's bytes; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Writes bytes to path, making its folder first; a failure fails the test.
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace TestSupport
