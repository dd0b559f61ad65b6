#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/material.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentreader.h"
#include "Model/Persistence/documentwriter.h"
#include "Model/Persistence/totalvolumearchiver.h"
#include "Model/document.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <array>
#include <cstdlib>
#include <vector>

#include <sys/resource.h>

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Persistence::ArchiverRegistry;
using Model::Persistence::DocumentReader;
using Model::Persistence::DocumentWriter;
using Model::Persistence::ObjectArchiver;

namespace {

const QByteArray Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
const QByteArray SiElement = "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" "
                             "poisson-ratio=\"0.28\" young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>";

QList<Material> siOnly()
{
    return {Material(1, QStringLiteral("Si"), 2329.0f, 1.88e11f, 0.28f, Util::Vector4D(0.5, 0.5, 0.5, 1.0))};
}

boost::shared_ptr<TotalVolume> volumeOf(unsigned sx, unsigned sy, unsigned sz, const std::vector<uint32_t> &ids,
                                        float cx = 1.0f, float cy = 1.0f, float cz = 1.0f,
                                        const Util::Vector3D &position = Util::Vector3D())
{
    return boost::shared_ptr<TotalVolume>(new TotalVolume(sx, sy, sz, cx, cy, cz, position, ids));
}

QByteArray writeScene(const Model::Document &document, const QList<Material> &materials = siOnly())
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    ArchiverRegistry registry;
    EXPECT_TRUE(DocumentWriter::write(writer, document, materials, registry));
    return bytes;
}

struct ReadBack
{
    DocumentReader::Result result;
    QList<Material> materials;
};

ReadBack readScene(QByteArray bytes, const ObjectArchiver::MaterialMap *map = nullptr)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&buffer);
    ArchiverRegistry registry;
    ReadBack back;
    back.result = DocumentReader::read(reader, registry, map,
                                       [&back](const Material &m) { back.materials.append(m); });
    return back;
}

using TestSupport::materialsOf;

boost::shared_ptr<TotalVolume> onlyVolume(const DocumentReader::Result &result)
{
    EXPECT_EQ(result.objects.size(), 1);
    return result.objects.isEmpty() ? boost::shared_ptr<TotalVolume>()
                                    : boost::dynamic_pointer_cast<TotalVolume>(result.objects.first());
}

// A scene object that has no archiver.
class FakeModel : public Model::Object
{
public:
    int getType() const override { return ExtractedModelType; }
    void draw(bool, bool, const Util::Vector3D &) override {}
    void drawForPicking() override {}
    Object *clone() override { return nullptr; }
    void translate(const Util::Vector3D &) override {}
    void transform(const Util::Vector4D &, const Util::Vector4D &) override {}
};

QByteArray document(const QByteArray &objects)
{
    return Declaration + "<Document><Header version=\"1\"/>" + SiElement + objects + "</Document>";
}

} // namespace

TEST(DocumentFormat, EmptySceneIsDeclarationHeaderAndMaterialsOnly)
{
    Model::Document scene;
    const QByteArray bytes = writeScene(scene);
    // Ending the document is the only line break the writer makes.
    EXPECT_EQ(bytes.toStdString(), (document(QByteArray()) + "\n").toStdString());
    const ReadBack back = readScene(bytes);
    EXPECT_EQ(back.result.status, DocumentReader::Read);
    EXPECT_EQ(back.result.version, 1u);
    EXPECT_TRUE(back.result.objects.isEmpty());
    ASSERT_EQ(back.materials.size(), 1);
    const Material si = back.materials.first();
    EXPECT_EQ(si.getName(), QStringLiteral("Si"));
    EXPECT_EQ(si.getDensity(), 2329.0f);
    EXPECT_EQ(si.getYoungModulus(), 1.88e11f);
    // A channel of 0.5 is written as 7F and comes back as 127/255.
    EXPECT_NEAR(si.getColor().x, 127.0 / 255.0, 1e-6);
    EXPECT_EQ(si.getColor().w, 1.0);
}

TEST(DocumentFormat, SingleCellOfMaterialThreeIsWrittenByteExact)
{
    Model::Document scene;
    scene.addObject(volumeOf(1, 1, 1, {3}));
    scene.addObject(boost::shared_ptr<Model::Object>(new FakeModel)); // an extracted model writes nothing
    EXPECT_EQ(writeScene(scene).toStdString(),
              document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\" cellsize-x=\"1\" "
                       "cellsize-y=\"1\" cellsize-z=\"1\" unit-length=\"1\"><State>3 </State><Position pos-x=\"0\" pos-y=\"0\" "
                       "pos-z=\"0\"/></Object>")
                  .append('\n')
                  .toStdString());
}

TEST(DocumentFormat, StateRunsZFastestThenYThenX)
{
    Model::Document scene;
    scene.addObject(volumeOf(2, 1, 2, {1, 0, 1, 0}));
    EXPECT_TRUE(writeScene(scene).contains("<State>1 0 1 0 </State>"));
}

TEST(DocumentFormat, RoundTripKeepsIdsExactlyAndNumbersToSixDigits)
{
    const unsigned sx = 7, sy = 5, sz = 3;
    std::vector<uint32_t> ids(sx * sy * sz);
    const uint32_t palette[] = {0, 1, 3, 17, 2000, 32766, 123456789, 4294967295u};
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = palette[(i * 7 + i / 3) % 8];
    const Util::Vector3D position(1.23456789e-7, -3.25, 12345.678);
    Model::Document scene;
    scene.addObject(volumeOf(sx, sy, sz, ids, 0.123456789f, 2.5f, 1e-9f, position));
    scene.addObject(volumeOf(1, 2, 1, {9, 10}));

    const ReadBack back = readScene(writeScene(scene));
    ASSERT_EQ(back.result.status, DocumentReader::Read);
    ASSERT_EQ(back.result.objects.size(), 2);
    const boost::shared_ptr<TotalVolume> v = boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[0]);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->getSizeX(), sx);
    EXPECT_EQ(v->getSizeY(), sy);
    EXPECT_EQ(v->getSizeZ(), sz);
    EXPECT_EQ(materialsOf(*v), ids);
    auto six = [](double value) { return QString::number(value, 'g', 6).toDouble(); };
    EXPECT_FLOAT_EQ(v->getCellSizeX(), float(six(double(0.123456789f))));
    EXPECT_FLOAT_EQ(v->getCellSizeY(), 2.5f);
    EXPECT_FLOAT_EQ(v->getCellSizeZ(), 1e-9f);
    EXPECT_DOUBLE_EQ(v->getPosition().x, six(position.x));
    EXPECT_DOUBLE_EQ(v->getPosition().y, -3.25);
    EXPECT_DOUBLE_EQ(v->getPosition().z, six(position.z));
    const boost::shared_ptr<TotalVolume> second = boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[1]);
    ASSERT_TRUE(second);
    EXPECT_EQ(materialsOf(*second), (std::vector<uint32_t>{9, 10}));
}

struct StateCase
{
    friend void PrintTo(const StateCase &c, std::ostream *os) { *os << c.name; }
    const char *name;
    const char *text;
    std::vector<uint32_t> expected; // a 4 x 1 x 1 volume
};

class StateText : public ::testing::TestWithParam<StateCase>
{
};

TEST_P(StateText, ReadsIntoCells)
{
    const StateCase &c = GetParam();
    const QByteArray object = QByteArray("<Object object-type=\"1\" size-x=\"4\" size-y=\"1\" size-z=\"1\"><State>")
                              + c.text + "</State></Object>";
    const ReadBack back = readScene(document(object));
    ASSERT_EQ(back.result.status, DocumentReader::Read) << back.result.errorString.toStdString();
    const boost::shared_ptr<TotalVolume> v = onlyVolume(back.result);
    ASSERT_TRUE(v);
    EXPECT_EQ(materialsOf(*v), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentFormat, StateText,
    ::testing::Values(StateCase{"Exact", "1 2 3 4 ", {1, 2, 3, 4}},
                      StateCase{"FewerIdsLeaveCellsEmpty", "5 6", {5, 6, 0, 0}},
                      StateCase{"SurplusIdsIgnored", "1 2 3 4 5 6 7 ", {1, 2, 3, 4}},
                      StateCase{"SeveralSpacesBetweenIds", "  1   2    3 4", {1, 2, 3, 4}},
                      StateCase{"NonNumbersAreEmptyCells", "x 2 -1 4294967296 ", {0, 2, 0, 0}},
                      StateCase{"LargestIdKept", "4294967295 0 7 00012", {4294967295u, 0, 7, 12}},
                      StateCase{"OtherBlanksSeparateToo", "1\n2\t3\r\n4", {1, 2, 3, 4}},
                      StateCase{"CommentInsideText", "1 2<!-- note --> 3 4", {1, 2, 3, 4}},
                      StateCase{"EmptyState", "", {0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<StateCase> &info) { return std::string(info.param.name); });

TEST(DocumentFormat, MissingPositionAndCellSizesGiveOriginAndUnitCells)
{
    const ReadBack back = readScene(
        document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\" unknown=\"x\"><State>1 1 </State>"
                 "</Object>"));
    const boost::shared_ptr<TotalVolume> v = onlyVolume(back.result);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->getCellSizeX(), 1.0f);
    EXPECT_EQ(v->getCellSizeY(), 1.0f);
    EXPECT_EQ(v->getCellSizeZ(), 1.0f);
    EXPECT_EQ(v->getPosition().x, 0.0);
    EXPECT_EQ(v->getPosition().y, 0.0);
    EXPECT_EQ(v->getPosition().z, 0.0);
    EXPECT_EQ(v->getUnitLength(), 1.0); // written before volumes carried a unit length: micrometres
}

TEST(DocumentFormat, RoundTripKeepsTheUnitLength)
{
    for (double micrometres : {1.0, 0.35, 0.001, 12.5, 1e6}) {
        Model::Document scene;
        const boost::shared_ptr<TotalVolume> volume = volumeOf(1, 1, 2, {1, 0});
        volume->setUnitLength(micrometres);
        scene.addObject(volume);
        const boost::shared_ptr<TotalVolume> back = onlyVolume(readScene(writeScene(scene)).result);
        ASSERT_TRUE(back) << micrometres;
        EXPECT_EQ(back->getUnitLength(), micrometres);
        EXPECT_EQ(materialsOf(*back), (std::vector<uint32_t>{1, 0}));
    }
}

TEST(DocumentFormat, UnusableCellSizesAndPositionsFallBackToDefaults)
{
    const ReadBack back = readScene(
        document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\" cellsize-x=\"nan\" "
                 "cellsize-y=\"-2\" cellsize-z=\"0.5\"><State>1 </State><Position pos-x=\"inf\" pos-y=\"2\" "
                 "pos-z=\"abc\"/></Object>"));
    const boost::shared_ptr<TotalVolume> v = onlyVolume(back.result);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->getCellSizeX(), 1.0f);
    EXPECT_EQ(v->getCellSizeY(), 1.0f);
    EXPECT_EQ(v->getCellSizeZ(), 0.5f);
    EXPECT_EQ(v->getPosition().x, 0.0);
    EXPECT_EQ(v->getPosition().y, 2.0);
    EXPECT_EQ(v->getPosition().z, 0.0);
}

TEST(DocumentFormat, MaterialNamesWithMarkupCharactersSurviveTheRoundTrip)
{
    const QString name = QStringLiteral("Resist <A&B> \"thick\" 'x' \u00B5m");
    Model::Document scene;
    const ReadBack back = readScene(writeScene(scene, {Material(2001, name, 1.0f, 2.0f, 0.5f)}));
    ASSERT_EQ(back.materials.size(), 1);
    EXPECT_EQ(back.materials.first().getName(), name);
    EXPECT_EQ(back.materials.first().getId(), 2001u);
}

TEST(DocumentFormat, PositionBeforeStateAndUnknownElementsAreTolerated)
{
    const ReadBack back = readScene(document(
        "<Unknown><Deep/></Unknown><Object object-type=\"2\"><State>9 </State></Object>"
        "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\"><Position pos-x=\"1\" pos-y=\"2\" "
        "pos-z=\"3\"/><Extra/><State>4 5 </State></Object><Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
        "size-z=\"1\"/>"));
    ASSERT_EQ(back.result.status, DocumentReader::Read);
    ASSERT_EQ(back.result.objects.size(), 2); // the type-2 object yields none
    const boost::shared_ptr<TotalVolume> v = boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[0]);
    EXPECT_EQ(materialsOf(*v), (std::vector<uint32_t>{4, 5}));
    EXPECT_EQ(v->getPosition().z, 3.0);
    // An object without children is read as empty cells and does not swallow what follows.
    const boost::shared_ptr<TotalVolume> w = boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[1]);
    EXPECT_EQ(materialsOf(*w), (std::vector<uint32_t>{0}));
}

TEST(DocumentFormat, TranslationMapRenumbersCells)
{
    ObjectArchiver::MaterialMap map;
    map.insert(3, 5);
    map.insert(70000, 9);
    map.insert(4, 4);
    const ReadBack back = readScene(
        document("<Object object-type=\"1\" size-x=\"5\" size-y=\"1\" size-z=\"1\"><State>3 70000 4 1 70001 "
                 "</State></Object>"),
        &map);
    const boost::shared_ptr<TotalVolume> v = onlyVolume(back.result);
    ASSERT_TRUE(v);
    EXPECT_EQ(materialsOf(*v), (std::vector<uint32_t>{5, 9, 4, 1, 70001}));
}

struct RefusedCase
{
    friend void PrintTo(const RefusedCase &c, std::ostream *os) { *os << c.name; }
    const char *name;
    QByteArray bytes;
};

class RefusedDocument : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedDocument, YieldsNoObjects)
{
    const ReadBack back = readScene(GetParam().bytes);
    EXPECT_EQ(back.result.status, DocumentReader::Rejected);
    EXPECT_TRUE(back.result.objects.isEmpty());
    EXPECT_FALSE(back.result.errorString.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    DocumentFormat, RefusedDocument,
    ::testing::Values(
        RefusedCase{"WrongRoot", Declaration + "<Materials><Header version=\"1\"/></Materials>"},
        RefusedCase{"NoHeader", Declaration + "<Document>" + SiElement + "</Document>"},
        RefusedCase{"NotXml", QByteArray("PK\x03\x04 this is a zip file")},
        RefusedCase{"EmptyFile", QByteArray()},
        RefusedCase{"CellCountBeyondMemory",
                    document("<Object object-type=\"1\" size-x=\"4000000\" size-y=\"4000000\" size-z=\"4000000\">"
                             "<State>1 </State></Object>")},
        RefusedCase{"CellCountBeyondTheFile",
                    document("<Object object-type=\"1\" size-x=\"300\" size-y=\"300\" size-z=\"300\">"
                             "<State>1 </State></Object>")},
        RefusedCase{"ZeroSize", document("<Object object-type=\"1\" size-x=\"0\" size-y=\"3\" size-z=\"3\"/>")},
        RefusedCase{"MissingSize", document("<Object object-type=\"1\" size-x=\"3\" size-z=\"3\"/>")},
        RefusedCase{"UnitLengthZero", document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\" "
                                               "unit-length=\"0\"><State>1 </State></Object>")},
        RefusedCase{"UnitLengthNegative", document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
                                                   "size-z=\"1\" unit-length=\"-2\"><State>1 </State></Object>")},
        RefusedCase{"UnitLengthNotFinite", document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" "
                                                    "size-z=\"1\" unit-length=\"inf\"><State>1 </State></Object>")},
        RefusedCase{"UnitLengthNaN", document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\" "
                                              "unit-length=\"nan\"><State>1 </State></Object>")},
        RefusedCase{"UnitLengthText", document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\" "
                                               "unit-length=\"um\"><State>1 </State></Object>")}),
    [](const ::testing::TestParamInfo<RefusedCase> &info) { return std::string(info.param.name); });

TEST(DocumentFormat, RefusalDropsObjectsReadBeforeIt)
{
    const ReadBack back = readScene(
        document("<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\"><State>1 </State></Object>"
                 "<Object object-type=\"1\" size-x=\"99999\" size-y=\"99999\" size-z=\"99999\"/>"));
    EXPECT_EQ(back.result.status, DocumentReader::Rejected);
    EXPECT_TRUE(back.result.objects.isEmpty());
}

TEST(DocumentFormat, TruncatedDocumentKeepsWhatWasRead)
{
    Model::Document scene;
    std::vector<uint32_t> ids(64 * 64 * 8);
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = 1 + uint32_t(i % 5);
    scene.addObject(volumeOf(2, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8}));
    scene.addObject(volumeOf(64, 64, 8, ids));
    const QByteArray whole = writeScene(scene);

    // Cut inside the second volume's State text.
    const int stateStart = whole.lastIndexOf("<State>");
    const QByteArray cut = whole.left(stateStart + 7 + 5000);
    const ReadBack back = readScene(cut);
    ASSERT_EQ(back.result.status, DocumentReader::Damaged);
    EXPECT_FALSE(back.result.errorString.isEmpty());
    ASSERT_GE(back.result.objects.size(), 1);
    const boost::shared_ptr<TotalVolume> first = boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[0]);
    EXPECT_EQ(materialsOf(*first), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    if (back.result.objects.size() == 2) {
        // Whatever was read of the broken volume is right; the rest is empty.
        const std::vector<uint32_t> partial =
            materialsOf(*boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[1]));
        for (size_t i = 0; i < partial.size(); ++i)
            if (partial[i] != 0)
                ASSERT_EQ(partial[i], ids[i]) << i;
    }

    // Cut between the two volumes: the first is whole, the document is damaged.
    const ReadBack between = readScene(whole.left(whole.indexOf("<Object", whole.indexOf("</Object>"))));
    EXPECT_EQ(between.result.status, DocumentReader::Damaged);
    EXPECT_EQ(between.result.objects.size(), 1);
}

namespace {

QByteArray emptyObjects(int count, unsigned sx, unsigned sy, unsigned sz)
{
    QByteArray objects;
    const QByteArray one = QStringLiteral("<Object object-type=\"1\" size-x=\"%1\" size-y=\"%2\" size-z=\"%3\"/>")
                               .arg(sx)
                               .arg(sy)
                               .arg(sz)
                               .toLatin1();
    for (int i = 0; i < count; ++i)
        objects += one;
    return document(objects);
}

// Pieces a blank ends in the cut text after the last "<State>": the cells of the broken volume it can fill.
uint64_t completePiecesAfterLastState(const QByteArray &cut)
{
    const int start = cut.lastIndexOf("<State>") + 7;
    return uint64_t(cut.mid(start).count(' '));
}

std::vector<uint32_t> patternIds(uint64_t count, uint32_t seed)
{
    std::vector<uint32_t> ids(count);
    for (uint64_t i = 0; i < count; ++i)
        ids[i] = 1 + uint32_t((i * 7 + seed) % 9);
    return ids;
}

} // namespace

TEST(DocumentFormat, ManyVolumesTogetherCannotClaimMoreThanTheFileHolds)
{
    // Each volume alone is small; together they claim far more cells than the file can fill.
    const QByteArray bytes = emptyObjects(1000, 64, 64, 1);
    const ReadBack back = readScene(bytes);
    EXPECT_EQ(back.result.status, DocumentReader::Rejected);
    EXPECT_TRUE(back.result.objects.isEmpty());
    EXPECT_TRUE(back.result.errorString.contains(QStringLiteral("more than the file can hold")))
        << back.result.errorString.toStdString();
}

TEST(DocumentFormat, ShortHandMadeStatesStillLoad)
{
    // A few small volumes with short "State" texts stay within the allowance.
    const ReadBack back = readScene(document(
        "<Object object-type=\"1\" size-x=\"3\" size-y=\"3\" size-z=\"3\"><State>1 2 </State></Object>"
        "<Object object-type=\"1\" size-x=\"40\" size-y=\"40\" size-z=\"20\"/>"));
    EXPECT_EQ(back.result.status, DocumentReader::Read);
    EXPECT_EQ(back.result.objects.size(), 2);
}

// The small document of large empty volumes, read in a process of its own
// whose address space is capped well below what its volumes claim (1.3 GB).
TEST(DocumentFormatDeathTest, ThousandLargeVolumesReadWithinAMemoryCeiling)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QByteArray bytes = emptyObjects(1000, 256, 256, 1);
    EXPECT_EXIT(
        {
            QFile statm(QStringLiteral("/proc/self/statm"));
            statm.open(QIODevice::ReadOnly);
            const qulonglong pages = statm.readAll().split(' ').value(0).toULongLong();
            struct rlimit ceiling {};
            ceiling.rlim_cur = ceiling.rlim_max = rlim_t(pages * 4096 + (qulonglong(384) << 20));
            setrlimit(RLIMIT_AS, &ceiling);
            const ReadBack back = readScene(bytes);
            const bool refused = back.result.status == DocumentReader::Rejected && back.result.objects.isEmpty() &&
                                 back.result.errorString.contains(QStringLiteral("more than the file can hold"));
            std::exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

struct CutCase
{
    friend void PrintTo(const CutCase &c, std::ostream *os) { *os << c.name; }
    const char *name;
    std::vector<std::array<unsigned, 3>> volumes;
    // Where the file is cut: this many bytes into the last volume's "State"
    // text, or, with fromEnd, this many bytes before its "</State>".
    int offset;
    bool fromEnd;
    unsigned keptX; // size-x the broken last volume keeps; 0: it is dropped
};

class CutDocument : public ::testing::TestWithParam<CutCase>
{
};

TEST_P(CutDocument, KeepsTheVolumesBeforeTheBreakAndTheCellsReadOfTheLast)
{
    const CutCase &c = GetParam();
    Model::Document scene;
    std::vector<std::vector<uint32_t>> ids;
    for (size_t v = 0; v < c.volumes.size(); ++v) {
        const std::array<unsigned, 3> &s = c.volumes[v];
        ids.push_back(patternIds(uint64_t(s[0]) * s[1] * s[2], uint32_t(v)));
        scene.addObject(volumeOf(s[0], s[1], s[2], ids.back()));
    }
    const QByteArray whole = writeScene(scene);
    const int at = c.fromEnd ? whole.lastIndexOf("</State>") - c.offset : whole.lastIndexOf("<State>") + 7 + c.offset;
    ASSERT_GT(at, whole.lastIndexOf("<State>"));
    const QByteArray cut = whole.left(at);

    const ReadBack back = readScene(cut);
    ASSERT_EQ(back.result.status, DocumentReader::Damaged) << back.result.errorString.toStdString();
    const int whole_ = int(c.volumes.size()) - 1;
    ASSERT_EQ(back.result.objects.size(), c.keptX ? whole_ + 1 : whole_);
    for (int v = 0; v < whole_; ++v)
        EXPECT_EQ(materialsOf(*boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[v])), ids[size_t(v)]) << v;
    if (!c.keptX)
        return;

    const boost::shared_ptr<TotalVolume> last = boost::dynamic_pointer_cast<TotalVolume>(back.result.objects.last());
    const std::array<unsigned, 3> &s = c.volumes.back();
    EXPECT_EQ(last->getSizeX(), c.keptX);
    EXPECT_EQ(last->getSizeY(), s[1]);
    EXPECT_EQ(last->getSizeZ(), s[2]);
    const uint64_t read = completePiecesAfterLastState(cut);
    const std::vector<uint32_t> cells = materialsOf(*last);
    ASSERT_LE(read, cells.size());
    std::vector<uint32_t> expected(cells.size(), 0u);
    std::copy(ids.back().begin(), ids.back().begin() + std::ptrdiff_t(read), expected.begin());
    EXPECT_EQ(cells, expected);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentFormat, CutDocument,
    ::testing::Values(
        // Most of the last volume was read: it keeps its size, the rest empty.
        CutCase{"FourVolumes", {{2, 1, 3}, {20, 20, 16}, {20, 20, 16}, {160, 160, 120}}, 6000000, false, 160},
        // Less than half of it was read: still kept whole.
        CutCase{"VGrooveCutTo200KB", {{64, 64, 56}}, 200000, false, 64},
        // The text ends just before "</State>" or inside it: every cell was read.
        CutCase{"CutRightBeforeTheEndOfState", {{64, 64, 56}}, 0, true, 64},
        CutCase{"CutInsideTheEndOfState", {{64, 64, 56}}, -4, true, 64},
        // A cut-short last id is not taken for a smaller one.
        CutCase{"CutInsideAnId", {{4, 4, 4}, {30, 30, 30}}, 1001, false, 30},
        // A few cells of a large claim: only the x slices read are kept, the last one in part.
        CutCase{"FewCellsOfALargeVolume", {{4, 4, 4}, {400, 64, 56}}, 2 * (2 * 64 * 56 + 100), false, 3}),
    [](const ::testing::TestParamInfo<CutCase> &info) { return std::string(info.param.name); });

TEST(DocumentFormat, CutRightAfterStateOpensKeepsTheEarlierVolumes)
{
    Model::Document scene;
    scene.addObject(volumeOf(2, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8}));
    scene.addObject(volumeOf(200, 200, 100, std::vector<uint32_t>(200 * 200 * 100, 1u)));
    const QByteArray whole = writeScene(scene);
    const ReadBack back = readScene(whole.left(whole.lastIndexOf("<State>") + 7));
    EXPECT_EQ(back.result.status, DocumentReader::Damaged);
    ASSERT_EQ(back.result.objects.size(), 1);
    EXPECT_EQ(materialsOf(*boost::dynamic_pointer_cast<TotalVolume>(back.result.objects[0])),
              (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}
