#include "documentwriter.h"

#include "Model/Materials/materialfactory.h"
#include "Model/document.h"
#include "Model/object.h"
#include "archiverregistry.h"

#include <QXmlStreamWriter>

namespace Model {
namespace Persistence {

bool DocumentWriter::write(QXmlStreamWriter &writer, const Document &document,
                           const QList<Materials::Material> &materials, ArchiverRegistry &registry)
{
    writer.setAutoFormatting(false);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Document"));
    writer.writeEmptyElement(QStringLiteral("Header"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    for (const Materials::Material &material : materials)
        Materials::MaterialFactory::writeMaterial(writer, material);
    for (const boost::shared_ptr<Object> &object : document.getObjects()) {
        if (!object)
            continue;
        const boost::shared_ptr<ObjectArchiver> archiver = registry.archiver(unsigned(object->getType()));
        if (!archiver)
            continue;
        archiver->setWriter(&writer);
        archiver->write(object);
        archiver->setWriter(nullptr);
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return !writer.hasError();
}

} // namespace Persistence
} // namespace Model
