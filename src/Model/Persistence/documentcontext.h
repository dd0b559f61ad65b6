#pragma once

#include "archiverregistry.h"

#include <QString>

namespace Model {
namespace Persistence {

// What every scene owns beside its objects: the archivers that write and read
// its objects in documents, and the scratch files that hold cell states for
// undo and redo. Created with the scene, removed with it.
class DocumentContext
{
public:
    // Creates "undo<n>.temp" and "redo<n>.temp" in directory (the working
    // directory when empty). When that directory refuses new files a few times
    // in a row, the system's temporary folder is used instead.
    explicit DocumentContext(const QString &directory = QString());
    ~DocumentContext();
    DocumentContext(const DocumentContext &) = delete;
    DocumentContext &operator=(const DocumentContext &) = delete;

    QString undoFileName() const { return m_undoFile; }
    QString redoFileName() const { return m_redoFile; }
    // False when no folder would take the scratch files; undo of process steps is then unavailable.
    bool isValid() const { return !m_undoFile.isEmpty(); }

    ArchiverRegistry &archivers() { return m_archivers; }

    static constexpr int AttemptsPerFolder = 5;

private:
    bool tryCreate(const QString &directory);

    ArchiverRegistry m_archivers;
    QString m_undoFile;
    QString m_redoFile;
};

} // namespace Persistence
} // namespace Model
