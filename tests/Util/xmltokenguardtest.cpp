#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Util/xmltokenguard.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

using Util::XmlTokenGuard;

namespace {

// Every token the reader returns, as "type:name:text:attributes", and its error.
QStringList tokens(QXmlStreamReader &reader)
{
    QStringList out;
    while (!reader.atEnd()) {
        reader.readNext();
        QStringList attributes;
        for (const QXmlStreamAttribute &a : reader.attributes())
            attributes << a.name().toString() + QLatin1Char('=') + a.value().toString();
        out << reader.tokenString() + QLatin1Char(':') + reader.name().toString() + QLatin1Char(':')
                   + reader.text().toString() + QLatin1Char(':') + attributes.join(QLatin1Char(','));
    }
    if (reader.hasError())
        out << QStringLiteral("error:") + reader.errorString();
    return out;
}

struct GuardCase
{
    const char *name;
    QByteArray xml;
    qint64 markupLimit;
    qint64 textLimit;
    const char *refusal; // what the error names, or nullptr when the file must read as without the guard
};

void PrintTo(const GuardCase &c, std::ostream *os) { *os << c.name; }

class XmlTokenGuardCases : public ::testing::TestWithParam<GuardCase>
{
};

} // namespace

TEST_P(XmlTokenGuardCases, RefusesOnlyPiecesBeyondTheLimit)
{
    const GuardCase &c = GetParam();
    QBuffer plainBuffer;
    plainBuffer.setData(c.xml);
    plainBuffer.open(QIODevice::ReadOnly);
    QXmlStreamReader plain(&plainBuffer);
    const QStringList expected = tokens(plain);

    QBuffer buffer;
    buffer.setData(c.xml);
    buffer.open(QIODevice::ReadOnly);
    QXmlStreamReader reader;
    const XmlTokenGuard guard(&buffer, reader, c.markupLimit, c.textLimit);
    const QStringList got = tokens(reader);
    if (!c.refusal) {
        EXPECT_EQ(got, expected);
        EXPECT_FALSE(guard.exceeded());
        return;
    }
    EXPECT_TRUE(guard.exceeded());
    ASSERT_TRUE(reader.hasError());
    EXPECT_EQ(reader.error(), QXmlStreamReader::CustomError);
    EXPECT_TRUE(reader.errorString().contains(QLatin1String(c.refusal))) << reader.errorString().toStdString();
    EXPECT_EQ(reader.errorString(), guard.refusal());
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, XmlTokenGuardCases,
    ::testing::Values(
        // <b x="0123456789"/> is 19 bytes.
        GuardCase{"TagAtTheLimit", "<a><b x=\"0123456789\"/></a>", 19, 100, nullptr},
        GuardCase{"TagOneBeyond", "<a><b x=\"0123456789\"/></a>", 18, 100, "tag or value starting at line 1"},
        // A '>' inside a quoted value does not end the tag.
        GuardCase{"QuotedCloseBracket", "<a>\n<b x=\"1>2>3>4>5>6\" y='\">'/></a>", 20, 100,
                  "tag or value starting at line 2 is longer than 20"},
        GuardCase{"QuotedCloseBracketFits", "<a>\n<b x=\"1>2>3>4>5>6\" y='\">'/></a>", 40, 100, nullptr},
        // Comments, CDATA and instructions end at their own terminators only.
        GuardCase{"CommentWithBrackets", "<a><!-- <b> > -- --></a>", 12, 100, "tag or value"},
        GuardCase{"CDataWithBrackets", "<a><![CDATA[ x > ]] > ]]></a>", 20, 100, "tag or value"},
        GuardCase{"CDataFits", "<a><![CDATA[ x > ]] > ]]></a>", 30, 100, nullptr},
        GuardCase{"InstructionWithBracket", "<a><?pi a > b ?></a>", 12, 100, "tag or value"},
        GuardCase{"MixedFits", "<a>\n<!-- c -->\n<b k=\"v\">t&amp;u<![CDATA[<x>]]></b><?p q?>\n</a>\n", 16, 8,
                  nullptr},
        GuardCase{"TextAtTheLimit", "<a>0123456789</a>", 100, 10, nullptr},
        GuardCase{"TextOneBeyond", "<a>\n\n0123456789</a>", 100, 11, "text starting at line 1 is longer than 11"},
        GuardCase{"LongTextAfterShortOnes", "<a>x<b/>y<c/>\n0123456789</a>", 100, 8, "text starting at line 1"}),
    [](const ::testing::TestParamInfo<GuardCase> &info) { return std::string(info.param.name); });

TEST(XmlTokenGuard, ReportsTheFilesSizeSoSizeChecksStillSeeIt)
{
    QBuffer buffer;
    buffer.setData(QByteArray(1000, ' '));
    buffer.open(QIODevice::ReadOnly);
    QXmlStreamReader reader;
    const XmlTokenGuard guard(&buffer, reader);
    EXPECT_EQ(reader.device(), &guard);
    EXPECT_EQ(reader.device()->size(), 1000);
    EXPECT_FALSE(reader.device()->isSequential());
}

TEST(XmlTokenGuard, TextModeFileWithCarriageReturnsEndsLikeThePlainReader)
{
    // A text-mode device drops the carriage returns, so the bytes passed on
    // never reach the file's size; the reader used to wait for them for ever.
    const QString path = QDir(TestSupport::workDirectory()).filePath(QStringLiteral("crlf.xml"));
    TestSupport::writeFile(path, "<?xml version=\"1.0\"?>\r\n<a x=\"\r\">\r\n<b/>\r\n");
    QFile plainFile(path);
    ASSERT_TRUE(plainFile.open(QIODevice::ReadOnly | QIODevice::Text));
    QXmlStreamReader plain(&plainFile);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QXmlStreamReader reader;
    const XmlTokenGuard guard(&file, reader);
    QStringList got, expected;
    for (int i = 0; i < 50 && !plain.atEnd(); ++i)
        expected << plain.tokenString() + QString::number(plain.readNext());
    for (int i = 0; i < 50 && !reader.atEnd(); ++i)
        got << reader.tokenString() + QString::number(reader.readNext());
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(reader.error(), QXmlStreamReader::PrematureEndOfDocumentError);
}

namespace {

// A file of each reader with one attribute of 1.2 billion characters: more than a
// string can hold, so the reader used to throw std::bad_alloc after gigabytes.
constexpr qint64 HugeLength = 1200000000;
constexpr qint64 MemoryCeiling = qint64(1) << 30;

struct HugeCase
{
    const char *name;
    const char *fileName; // under HOME/Torvane for the catalogue, in a temporary folder otherwise
    QByteArray head;
    QByteArray tail;
    // Runs the reader in the child and describes what it said.
    std::function<QString(const QString &path)> read;
    const char *expected; // the start of that description
};

void PrintTo(const HugeCase &c, std::ostream *os) { *os << c.name; }

class HugeValue : public ::testing::TestWithParam<HugeCase>
{
};

QString readList(const QString &path)
{
    Core::Operations::ProcessListFile::LoadResult result;
    const bool ok = Core::Operations::ProcessListFile::load(path, result);
    return QStringLiteral("loaded=%1 ").arg(ok) + result.error;
}

QString readDocument(const QString &path)
{
    Core::Operations::Workspace workspace;
    QString message;
    const auto status = Core::Operations::DocumentStorage::load(path, workspace, nullptr, &message);
    return QStringLiteral("status=%1 objects=%2 ").arg(status).arg(workspace.document().getObjects().size()) + message;
}

QString readMaterials(const QString &)
{
    const boost::shared_ptr<Model::Materials::MaterialFactory> factory = Model::Materials::MaterialFactory::instance();
    const bool loaded = factory->loadMaterials();
    Model::Materials::MaterialFactory::initialize(); // keeps the broken file aside and writes the built-in table
    return QStringLiteral("loaded=%1 materials=%2").arg(loaded).arg(factory->getMaterials().size());
}

} // namespace

TEST_P(HugeValue, IsRefusedWithTheReadersMessageInBoundedMemory)
{
    const HugeCase &c = GetParam();
    const bool catalogue = QByteArray(c.fileName) == "materials.xml";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString dir = catalogue ? QDir(TestSupport::homeDirectory()).filePath(QStringLiteral("Torvane")) : folder.path();
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QString::fromLatin1(c.fileName));
    TestSupport::writeLongFile(path, c.head, 'x', HugeLength, c.tail);
    ASSERT_EQ(QFileInfo(path).size(), c.head.size() + HugeLength + c.tail.size());

    const QString said = TestSupport::runUnderMemoryCeiling(MemoryCeiling, [&] { return c.read(path); });
    EXPECT_TRUE(said.startsWith(QLatin1String(c.expected))) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String("longer than 134217728 characters")) || catalogue) << said.toStdString();

    if (catalogue) {
        // The broken file was kept aside whole, and the built-in table replaced it.
        EXPECT_EQ(QFileInfo(path + QStringLiteral(".bak")).size(), c.head.size() + HugeLength + c.tail.size());
        EXPECT_LT(QFileInfo(path).size(), 100000);
        QFile::remove(path + QStringLiteral(".bak"));
    }
    QFile::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, HugeValue,
    ::testing::Values(
        HugeCase{"ProcessList", "huge.plst",
                 "<?xml version=\"1.0\"?>\n<Process-List version=\"1\">\n<Process-Data process-type=\"4\">\n"
                 "<Parameter parameter-name=\"Thickness\" parameter-type=\"double\" parameter-data=\"",
                 "\"/>\n</Process-Data>\n</Process-List>\n", readList,
                 "loaded=0 The process list \""},
        HugeCase{"Document", "huge.tvn", "<?xml version=\"1.0\"?>\n<Document note=\"",
                 "\">\n<Header version=\"1\"/>\n</Document>\n", readDocument, "status=3 objects=0 The document \""},
        HugeCase{"MaterialsCatalogue", "materials.xml",
                 "<?xml version=\"1.0\"?>\n<Materials>\n<Material version=\"1\" name=\"",
                 "\" material-id=\"2001\"/>\n</Materials>\n", readMaterials, "loaded=0 materials="}),
    [](const ::testing::TestParamInfo<HugeCase> &info) { return std::string(info.param.name); });
