// Documents as File > Open reads them: the size guard, the document reader and
// the cell-volume archiver.
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentreader.h"
#include "Util/xmltokenguard.h"
#include "fuzzsupport.h"

#include <QBuffer>
#include <QXmlStreamReader>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::useTemporaryHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(Fuzz::bytes(data, size));
    buffer.open(QIODevice::ReadOnly);
    QXmlStreamReader reader;
    const Util::XmlTokenGuard guard(&buffer, reader, Util::XmlTokenGuard::DefaultMarkupLimit,
                                    Util::XmlTokenGuard::LongestText);
    Model::Persistence::ArchiverRegistry registry;
    Model::Persistence::DocumentReader::read(reader, registry, nullptr, Model::Persistence::DocumentReader::MaterialHandler());
    return 0;
}
