#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace Fuzz {

// Points HOME at a temporary folder for the whole run, so the catalogues the
// readers consult and the files the targets write never touch the real home.
inline QString useTemporaryHome()
{
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/torvane-fuzz-home-XXXXXX"));
    qputenv("HOME", home.path().toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("Torvane"));
    return home.path();
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

// The readers under test take file names: each input becomes this file.
inline QString writeInput(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}

} // namespace Fuzz
