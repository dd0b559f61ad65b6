// Dopant concentrations in documents: written only when a volume holds them,
// read back bit for bit, and every malformed field refused with a sentence.

#include "Model/Automaton/totalvolume.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentreader.h"
#include "Model/Persistence/documentwriter.h"
#include "Model/document.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <cstring>
#include <limits>

using Model::Automaton::CellLock;
using Model::Automaton::DopantFields;
using Model::Automaton::TotalVolume;
using Model::Persistence::ArchiverRegistry;
using Model::Persistence::DocumentReader;
using Model::Persistence::DocumentWriter;

namespace {

QByteArray writeVolume(const boost::shared_ptr<TotalVolume> &volume)
{
    Model::Document document;
    document.addObject(volume);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    ArchiverRegistry registry;
    EXPECT_TRUE(DocumentWriter::write(writer, document, {}, registry));
    return bytes;
}

DocumentReader::Result read(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&buffer);
    ArchiverRegistry registry;
    return DocumentReader::read(reader, registry, nullptr, [](const Model::Materials::Material &) {});
}

DopantFields fieldsOf(const DocumentReader::Result &result)
{
    EXPECT_EQ(result.objects.size(), 1);
    const boost::shared_ptr<TotalVolume> v =
        result.objects.isEmpty() ? nullptr : boost::dynamic_pointer_cast<TotalVolume>(result.objects.first());
    if (!v)
        return DopantFields();
    CellLock lock(*v);
    return lock.dopants();
}

// Four little-endian floats as base64.
QByteArray floats(std::initializer_list<float> values)
{
    QByteArray bytes;
    for (float f : values) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        for (int k = 0; k < 4; ++k)
            bytes.append(char((u >> (8 * k)) & 0xff));
    }
    return bytes.toBase64();
}

QByteArray documentWith(const QByteArray &dopants)
{
    return "<?xml version=\"1.0\"?><Document><Header version=\"1\"/>"
           "<Object object-type=\"1\" size-x=\"2\" size-y=\"1\" size-z=\"2\"><State>1 1 1 1 </State>"
           "<Position pos-x=\"0\" pos-y=\"0\" pos-z=\"0\"/>" +
           dopants + "</Object></Document>";
}

} // namespace

TEST(DopantArchive, FieldsSurviveTheRoundTripAndTheClone)
{
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(5, 3, 7, 1, 1, 1, Util::Vector3D(), 1u));
    {
        CellLock lock(*volume);
        std::vector<float> &b = lock.dopants().make(DopantFields::Boron, 105);
        std::vector<float> &sb = lock.dopants().make(DopantFields::Antimony, 105);
        for (size_t i = 0; i < 105; ++i) {
            b[i] = float(std::pow(10.0, 10.0 + 0.1 * double(i)));
            sb[i] = i % 3 ? 0.0f : 1.2345678e17f * float(i);
        }
    }
    const QByteArray bytes = writeVolume(volume);
    EXPECT_TRUE(bytes.contains("<Dopant species=\"B\" cells=\"105\">"));
    EXPECT_FALSE(bytes.contains("species=\"P\""));
    const DocumentReader::Result back = read(bytes);
    ASSERT_EQ(back.status, DocumentReader::Read) << back.errorString.toStdString();
    std::unique_ptr<TotalVolume> copy(static_cast<TotalVolume *>(volume->clone()));
    CellLock lock(*volume);
    EXPECT_TRUE(fieldsOf(back) == lock.dopants());
    CellLock copied(*copy);
    EXPECT_TRUE(copied.dopants() == lock.dopants());
}

TEST(DopantArchive, AVolumeWithoutFieldsWritesNoneAndReadsAsBefore)
{
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(2, 2, 2, 1, 1, 1, Util::Vector3D(), 1u));
    const QByteArray bytes = writeVolume(volume);
    EXPECT_FALSE(bytes.contains("Dopant"));
    EXPECT_TRUE(fieldsOf(read(bytes)).isEmpty());
    const DocumentReader::Result good = read(documentWith("<Dopant species=\"P\" cells=\"4\">" +
                                                          floats({1e15f, 0.0f, 2.5e18f, 3.0f}) + "</Dopant>"));
    ASSERT_EQ(good.status, DocumentReader::Read) << good.errorString.toStdString();
    EXPECT_EQ(fieldsOf(good).field(DopantFields::Phosphorus), (std::vector<float>{1e15f, 0.0f, 2.5e18f, 3.0f}));
    // A field of zeros is no field.
    EXPECT_TRUE(fieldsOf(read(documentWith("<Dopant species=\"As\" cells=\"4\">" + floats({0, 0, 0, 0}) + "</Dopant>")))
                    .isEmpty());
}

TEST(DopantArchive, MalformedFieldsAreRefusedWithASentence)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        QByteArray dopants;
        const char *says;
    };
    const Case cases[] = {
        {"<Dopant species=\"Ga\" cells=\"4\">" + floats({1, 2, 3, 4}) + "</Dopant>", "names the species \"Ga\""},
        {"<Dopant species=\"B\" cells=\"5\">" + floats({1, 2, 3, 4}) + "</Dopant>", "claims 5 cells where its volume has 4"},
        {"<Dopant species=\"B\" cells=\"4000000000\">AAAA</Dopant>", "claims 4000000000 cells"},
        {"<Dopant species=\"B\" cells=\"4\">" + floats({1, 2, 3}) + "</Dopant>", "holds 3 values where its volume has 4"},
        {"<Dopant species=\"B\" cells=\"4\">" + floats({1, 2, 3, 4, 5}) + "</Dopant>", "more than the 4 values"},
        {"<Dopant species=\"B\" cells=\"4\">not*base64!</Dopant>", "not base64 text of whole float values"},
        {"<Dopant species=\"B\" cells=\"4\">" + floats({1, 2, 3, 4}) + "AB</Dopant>", "not base64"},
        {"<Dopant species=\"B\" cells=\"4\">" + floats({1, -2, 3, 4}) + "</Dopant>", "holds -2 at cell 1"},
        {"<Dopant species=\"B\" cells=\"4\">" + floats({1, 2, inf, 4}) + "</Dopant>", "holds inf at cell 2"},
        {"<Dopant species=\"B\" cells=\"4\">" + floats({1, 2, 3, 4}) + "</Dopant><Dopant species=\"b\" cells=\"4\">" +
             floats({1, 2, 3, 4}) + "</Dopant>",
         "holds two B dopant fields"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.says);
        const DocumentReader::Result back = read(documentWith(c.dopants));
        EXPECT_EQ(back.status, DocumentReader::Rejected);
        EXPECT_TRUE(back.objects.isEmpty());
        EXPECT_TRUE(back.errorString.contains(QLatin1String(c.says))) << back.errorString.toStdString();
    }
}
