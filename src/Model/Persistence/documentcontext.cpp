#include "documentcontext.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QtDebug>

namespace Model {
namespace Persistence {

namespace {

quint32 drawNumber()
{
    // Seeded once from the clock; reseeding per draw would repeat numbers within one second.
    static QMutex mutex;
    static QRandomGenerator generator{quint32(QDateTime::currentMSecsSinceEpoch())};
    QMutexLocker lock(&mutex);
    return generator.bounded(quint32(1u << 31));
}

bool createEmpty(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Text))
        return false;
    file.close();
    return true;
}

} // namespace

DocumentContext::DocumentContext(const QString &directory)
{
    const QString first = directory.isEmpty() ? QDir::currentPath() : directory;
    if (tryCreate(first))
        return;
    qWarning() << "Model/Persistence/documentcontext" << Q_FUNC_INFO << "cannot create scratch files in" << first
               << "- using" << QDir::tempPath();
    if (!tryCreate(QDir::tempPath()))
        qWarning() << "Model/Persistence/documentcontext" << Q_FUNC_INFO
                   << "cannot create scratch files; undo of process steps is unavailable";
}

DocumentContext::~DocumentContext()
{
    if (!m_undoFile.isEmpty())
        QFile::remove(m_undoFile);
    if (!m_redoFile.isEmpty())
        QFile::remove(m_redoFile);
}

bool DocumentContext::tryCreate(const QString &directory)
{
    const QDir dir(directory);
    int failures = 0;
    int clashes = 0;
    // A clash with an existing file draws again; only a folder that keeps
    // refusing to create files makes us give up on it.
    while (failures < AttemptsPerFolder && clashes < 10000) {
        const QString n = QString::number(drawNumber());
        const QString undo = dir.filePath(QStringLiteral("undo") + n + QStringLiteral(".temp"));
        const QString redo = dir.filePath(QStringLiteral("redo") + n + QStringLiteral(".temp"));
        if (QFile::exists(undo) || QFile::exists(redo)) {
            ++clashes;
            continue;
        }
        if (createEmpty(undo) && createEmpty(redo)) {
            m_undoFile = undo;
            m_redoFile = redo;
            return true;
        }
        QFile::remove(undo);
        QFile::remove(redo);
        ++failures;
    }
    return false;
}

} // namespace Persistence
} // namespace Model
