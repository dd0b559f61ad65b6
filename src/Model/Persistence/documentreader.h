#pragma once

#include "Model/Materials/material.h"
#include "objectarchiver.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QString>

#include <functional>

class QXmlStreamReader;

namespace Model {

class Object;

namespace Persistence {

class ArchiverRegistry;

// Reads a document: it must open with "Document" and "Header"; every
// "Material" goes to the caller as it comes (to be reconciled with the
// catalogue, which may fill the id translation map), every "Object" with an
// archiver becomes a scene object. The objects are returned, not added to any
// scene, so that a refused document leaves the scene as it was.
class DocumentReader
{
public:
    enum Status {
        Read,     // the whole document was read
        Damaged,  // an XML error after a valid header: objects up to it are returned
        Rejected  // not a document, or an object that must not be built: no objects
    };

    struct Result
    {
        Status status = Rejected;
        unsigned version = 0;
        QList<boost::shared_ptr<Object>> objects;
        QString errorString;
    };

    typedef std::function<void(const Materials::Material &)> MaterialHandler;

    // map: the translation the archivers apply to cell ids; it may change while
    // materials are handled, and is read when each object is read.
    // documentLength: the document's length in characters, which bounds the
    // cells the objects may allocate; taken from the reader's device when
    // negative (give it when the reader is fed with addData).
    static Result read(QXmlStreamReader &reader, ArchiverRegistry &registry,
                       const ObjectArchiver::MaterialMap *map, const MaterialHandler &onMaterial,
                       qint64 documentLength = -1);
};

} // namespace Persistence
} // namespace Model
