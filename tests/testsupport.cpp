#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace TestSupport {

QString homeDirectory() { return QDir::homePath(); }

QString workDirectory() { return QDir::currentPath(); }

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

void writeLongFile(const QString &path, const QByteArray &head, char fill, qint64 count, const QByteArray &tail)
{
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(head) == head.size();
    const QByteArray block(1 << 20, fill);
    for (qint64 left = count; ok && left > 0; left -= block.size()) {
        const qint64 n = std::min<qint64>(left, block.size());
        ok = file.write(block.constData(), n) == n;
    }
    ok = ok && file.write(tail) == tail.size();
    if (!ok)
        ADD_FAILURE() << "cannot write " << path.toStdString() << ": " << file.errorString().toStdString();
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TORVANE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define TORVANE_SANITIZED 1
#endif
#endif

QString runUnderMemoryCeiling(qint64 ceilingBytes, const std::function<QString()> &body)
{
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("no pipe: ") + QString::fromLocal8Bit(std::strerror(errno));
    const pid_t child = fork();
    if (child < 0)
        return QStringLiteral("no child: ") + QString::fromLocal8Bit(std::strerror(errno));
    if (child == 0) {
        close(channel[0]);
#ifndef TORVANE_SANITIZED
        const rlimit ceiling{rlim_t(ceilingBytes), rlim_t(ceilingBytes)};
        setrlimit(RLIMIT_AS, &ceiling);
#endif
        const QByteArray text = body().toUtf8();
        const ssize_t written = write(channel[1], text.constData(), size_t(text.size()));
        _exit(written == text.size() ? 0 : 1);
    }
    close(channel[1]);
    QByteArray text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(channel[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, int(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return QStringLiteral("died by signal %1").arg(WTERMSIG(status));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("ended with status %1").arg(WEXITSTATUS(status));
    return QString::fromUtf8(text);
}

} // namespace TestSupport
