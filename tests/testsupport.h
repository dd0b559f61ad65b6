#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace TestSupport {

// The temporary folder HOME points at while tests run.
QString homeDirectory();
// The temporary working directory tests run in.
QString workDirectory();

// The file's bytes; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Writes bytes to path, making its folder first; a failure fails the test.
void writeFile(const QString &path, const QByteArray &bytes);

// Writes head, count copies of fill and tail to path a megabyte at a time, so a
// file of gigabytes never sits in memory; a failure fails the test.
void writeLongFile(const QString &path, const QByteArray &head, char fill, qint64 count, const QByteArray &tail);

// Runs body in a forked child whose address space is capped at ceilingBytes and
// returns the text body returned, or how the child died ("died by signal 6").
// Under a sanitizer, whose shadow memory does not fit a cap, the child runs
// without one.
QString runUnderMemoryCeiling(qint64 ceilingBytes, const std::function<QString()> &body);

} // namespace TestSupport
