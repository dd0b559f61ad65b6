#pragma once

#include "Model/Materials/material.h"

#include <QList>

class QXmlStreamWriter;

namespace Model {

class Document;

namespace Persistence {

class ArchiverRegistry;

// Writes a scene as a document: declaration, "Document", "Header", every
// catalogue material, then one "Object" per object that has an archiver.
// No indentation and no line breaks.
class DocumentWriter
{
public:
    // The writer must be set to an open device. Reports the writer's own
    // failure (a device that refused bytes) as false.
    static bool write(QXmlStreamWriter &writer, const Document &document, const QList<Materials::Material> &materials,
                      ArchiverRegistry &registry);
};

} // namespace Persistence
} // namespace Model
