#pragma once

#include <QString>

#include <functional>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {
namespace Materials {

// Where the per-user catalogue files live and how they are written, shared by
// the materials and the process catalogue.
//
// Both start at the home directory: writing goes to the sub-folder "Torvane"
// (created on demand); reading uses that folder when it exists and otherwise
// the home directory itself.
class CatalogueFile
{
public:
    static QString folderName();
    static QString readPath(const QString &fileName);
    static QString writePath(const QString &fileName);

    // Writes through a QSaveFile: the old file stays intact unless the whole
    // new content was written. Returns false (and logs why) on any failure.
    static bool write(const QString &fileName, const std::function<void(QXmlStreamWriter &)> &body);

    // Reads a catalogue file whose first element must be rootName; every later
    // start element is handed to readItem. False when the file is missing or
    // unreadable, the root is wrong, or the reader reports an error; errors go
    // to the debug log under source and function (the caller's).
    static bool read(const QString &fileName, const QString &rootName, const char *source, const char *function,
                     const std::function<void(QXmlStreamReader &)> &readItem);

    // Before a catalogue that failed to load is replaced by a built-in table:
    // when the file that would be overwritten exists, it is renamed to
    // "<name>.bak" (or "<name>.bak.1", ".bak.2", ... so that no older backup is
    // lost) and the debug log names the backup. Returns false when the file
    // exists but could not be moved aside; it must then not be overwritten.
    static bool keepBeforeReplacing(const QString &fileName);

    // The first free backup name for path: path.bak, path.bak.1, path.bak.2, ...
    static QString freeBackupPath(const QString &path);
};

} // namespace Materials
} // namespace Model
