#include "documentreader.h"

#include "Model/Materials/materialfactory.h"
#include "Model/object.h"
#include "archiverregistry.h"
#include "cellbudget.h"

#include <QIODevice>
#include <QStringList>
#include <QXmlStreamReader>

namespace Model {
namespace Persistence {

namespace {

bool readToStartElement(QXmlStreamReader &reader)
{
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return true;
    }
    return false;
}

QString xmlError(const QXmlStreamReader &reader)
{
    return QStringLiteral("%1 (line %2, column %3)")
        .arg(reader.errorString())
        .arg(reader.lineNumber())
        .arg(reader.columnNumber());
}

} // namespace

DocumentReader::Result DocumentReader::read(QXmlStreamReader &reader, ArchiverRegistry &registry,
                                            const ObjectArchiver::MaterialMap *map,
                                            const MaterialHandler &onMaterial, qint64 documentLength)
{
    Result result;
    if (documentLength < 0 && reader.device() && !reader.device()->isSequential())
        documentLength = reader.device()->size();
    // One budget for all objects, so that many volumes cannot claim together
    // what none of them could alone.
    CellBudget budget(documentLength);
    QStringList notes;
    if (!readToStartElement(reader) || reader.name() != QLatin1String("Document")
        || !readToStartElement(reader) || reader.name() != QLatin1String("Header")) {
        result.errorString = reader.hasError()
                                 ? QStringLiteral("The file is not a readable XML document: ") + xmlError(reader)
                                 : QStringLiteral("The file is not a Torvane document: it does not begin with "
                                                  "\"Document\" and \"Header\".");
        return result;
    }
    const QXmlStreamAttributes header = reader.attributes();
    if (!header.isEmpty())
        result.version = header.first().value().toUInt();

    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("Material")) {
            if (onMaterial)
                onMaterial(Materials::MaterialFactory::readMaterial(reader));
            continue;
        }
        if (reader.name() != QLatin1String("Object"))
            continue;
        bool ok = false;
        const unsigned type = reader.attributes().value(QLatin1String("object-type")).toUInt(&ok, 10);
        const boost::shared_ptr<ObjectArchiver> archiver = ok ? registry.archiver(type) : nullptr;
        if (!archiver) {
            reader.skipCurrentElement();
            continue;
        }
        archiver->setReader(&reader);
        archiver->setMaterialMap(map);
        archiver->setCellBudget(&budget);
        const boost::shared_ptr<Object> object = archiver->read();
        archiver->setReader(nullptr);
        archiver->setMaterialMap(nullptr);
        archiver->setCellBudget(nullptr);
        const QString note = archiver->errorString();
        if (object) {
            result.objects.append(object);
            if (!note.isEmpty())
                notes << note;
        } else if (!note.isEmpty() && reader.hasError()) {
            // The document broke off inside the object: the break is the fault, not the object.
            notes << note;
        } else if (!note.isEmpty()) {
            result.objects.clear();
            result.errorString = archiver->errorString();
            result.status = Rejected;
            return result;
        }
    }

    if (reader.hasError()) {
        result.status = Damaged;
        notes.prepend(xmlError(reader));
        result.errorString = notes.join(QLatin1Char(' '));
    } else {
        result.status = Read;
    }
    return result;
}

} // namespace Persistence
} // namespace Model
