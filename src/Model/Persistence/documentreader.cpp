#include "documentreader.h"

#include "Model/object.h"
#include "archiverregistry.h"

#include <QColor>
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

Materials::Material DocumentReader::readMaterial(const QXmlStreamReader &reader)
{
    const QXmlStreamAttributes attributes = reader.attributes();
    Materials::Material material;
    bool ok = false;
    const unsigned id = attributes.value(QLatin1String("material-id")).toUInt(&ok, 10);
    material.setId(ok ? id : 0);
    material.setName(attributes.value(QLatin1String("name")).toString());
    material.setDensity(attributes.value(QLatin1String("density")).toFloat());
    material.setPoissonRatio(attributes.value(QLatin1String("poisson-ratio")).toFloat());
    material.setYoungModulus(attributes.value(QLatin1String("young-modulus")).toFloat());
    const QColor color(attributes.value(QLatin1String("color")).toString());
    if (color.isValid())
        material.setColor(Util::Vector4D(color.redF(), color.greenF(), color.blueF(), color.alphaF()));
    return material;
}

DocumentReader::Result DocumentReader::read(QXmlStreamReader &reader, ArchiverRegistry &registry,
                                            const ObjectArchiver::MaterialMap *map,
                                            const MaterialHandler &onMaterial)
{
    Result result;
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
                onMaterial(readMaterial(reader));
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
        const boost::shared_ptr<Object> object = archiver->read();
        archiver->setReader(nullptr);
        archiver->setMaterialMap(nullptr);
        if (object) {
            result.objects.append(object);
        } else if (!archiver->errorString().isEmpty()) {
            result.objects.clear();
            result.errorString = archiver->errorString();
            result.status = Rejected;
            return result;
        }
    }

    if (reader.hasError()) {
        result.status = Damaged;
        result.errorString = xmlError(reader);
    } else {
        result.status = Read;
    }
    return result;
}

} // namespace Persistence
} // namespace Model
