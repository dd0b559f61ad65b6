#pragma once

#include <QString>

namespace Core {
namespace Operations {

class IDocumentDialogs;
class Workspace;

// Saving a scene to a document file and loading one into a scene.
class DocumentStorage
{
public:
    enum LoadStatus {
        Loaded,        // read whole; the scene is bound to the file
        LoadedDamaged, // the file breaks off: what was read is in the scene, which is not bound to the file
        Unreadable,    // the file could not be opened; nothing changed
        Refused        // not a document, or absurd sizes; nothing added to the scene
    };

    static QString fileFilter() { return QStringLiteral("Torvane file (*.tvn)"); }
    static QString extension() { return QStringLiteral("tvn"); }
    // "Torvane  " and the file name; the bare program name for a scene without a file.
    static QString windowTitle(const QString &fileName);
    // The chosen name with ".tvn" added when it has no extension of its own.
    static QString withExtension(const QString &fileName);

    // Writes the scene through a temporary file that replaces the old one
    // only when complete, so a failed save leaves the old file as it was.
    // On success the scene's file name becomes fileName; on failure dialogs,
    // when given, shows "Error writing to file".
    static bool save(const QString &fileName, Workspace &workspace, IDocumentDialogs *dialogs);

    // Reads the document into the scene, reconciling its materials with the
    // catalogue. Anything short of a clean read is reported through dialogs
    // (when given) in an "Error reading from file" box.
    static LoadStatus load(const QString &fileName, Workspace &workspace, IDocumentDialogs *dialogs,
                           QString *message = nullptr);
};

} // namespace Operations
} // namespace Core
