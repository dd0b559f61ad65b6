#include "Model/Layout/gdsiilibrary.h"
#include "Model/Layout/layoutmask.h"

#include "Model/Layout/gdsiiteststream.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace Model::Layout;

namespace {

// Runs the gdspy script once per test binary; empty when gdspy is not there.
QString fixtureFolder()
{
    static QString folder;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const QString out = QDir(TestSupport::workDirectory()).filePath(QStringLiteral("layout-fixtures"));
        QProcess python;
        python.start(QStringLiteral(TORVANE_GDSPY_PYTHON),
                     {QStringLiteral(TORVANE_LAYOUT_FIXTURE_SCRIPT), out});
        if (python.waitForFinished(120000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0)
            folder = out;
        else
            ADD_FAILURE() << "The fixture script failed: " << python.readAllStandardError().toStdString();
    }
    return folder;
}

struct Expected
{
    MaskPlacement placement;
    MaskGrid grid;
    std::vector<bool> bits;
};

Expected readExpected(const QString &path)
{
    Expected e;
    const QList<QByteArray> lines = TestSupport::readAll(path).split('\n');
    EXPECT_GE(lines.size(), 2);
    const QList<QByteArray> f = lines.value(0).split(' ');
    EXPECT_EQ(f.size(), 10);
    if (f.size() != 10)
        return e;
    e.placement.structure = f[0].toStdString();
    e.placement.layer = f[1].toInt();
    e.placement.datatype = f[2].toInt();
    e.placement.originX = f[3].toDouble();
    e.placement.originY = f[4].toDouble();
    e.placement.scale = f[5].toDouble();
    e.grid.sizeX = f[6].toUInt();
    e.grid.sizeY = f[7].toUInt();
    e.grid.cellSizeX = f[8].toDouble();
    e.grid.cellSizeY = f[9].toDouble();
    for (char c : lines.value(1))
        e.bits.push_back(c == '1');
    return e;
}

std::string picture(const std::vector<bool> &bits, unsigned sizeX, unsigned sizeY)
{
    std::string s;
    for (unsigned y = sizeY; y-- > 0;) {
        for (unsigned x = 0; x < sizeX; ++x)
            s += bits[size_t(x) * sizeY + y] ? '#' : '.';
        s += '\n';
    }
    return s;
}

class LayoutFixture : public ::testing::TestWithParam<const char *>
{
};

} // namespace

TEST_P(LayoutFixture, BitsMatchThoseTheWriterFindsInside)
{
    const QString folder = fixtureFolder();
    ASSERT_FALSE(folder.isEmpty());
    const QString name = QString::fromLatin1(GetParam());
    const Expected expected = readExpected(QDir(folder).filePath(name + QStringLiteral(".txt")));
    ASSERT_EQ(expected.bits.size(), size_t(expected.grid.sizeX) * expected.grid.sizeY);
    ASSERT_NE(std::count(expected.bits.begin(), expected.bits.end(), true), 0);

    GdsiiLibrary library;
    QString error;
    ASSERT_TRUE(GdsiiLibrary::readFile(QDir(folder).filePath(name + QStringLiteral(".gds")), library, error))
        << error.toStdString();
    for (int threads : {1, 2, 3, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        std::vector<bool> bits;
        ASSERT_TRUE(rasterizeLayout(library, expected.placement, expected.grid, bits, error)) << error.toStdString();
        EXPECT_EQ(picture(bits, expected.grid.sizeX, expected.grid.sizeY),
                  picture(expected.bits, expected.grid.sizeX, expected.grid.sizeY))
            << "with " << threads << " threads";
    }
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutFixture,
                         ::testing::Values("rectangle", "rectangle-any-datatype", "rectangle-placed",
                                           "rotated-reflected", "rotated-reflected-fine", "array", "path", "ring"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             std::string s = info.param;
                             std::replace(s.begin(), s.end(), '-', '_');
                             return s;
                         });

TEST(GdsiiLibrary, ListsStructuresTopFirstAndTheLayersEachDraws)
{
    const QString folder = fixtureFolder();
    ASSERT_FALSE(folder.isEmpty());
    GdsiiLibrary library;
    QString error;
    ASSERT_TRUE(GdsiiLibrary::readFile(QDir(folder).filePath(QStringLiteral("array.gds")), library, error));
    EXPECT_DOUBLE_EQ(library.micronsPerDatabaseUnit(), 1e-3);
    const std::vector<int> tops = library.topStructures();
    ASSERT_EQ(tops.size(), 1u);
    EXPECT_EQ(library.structures()[size_t(tops[0])].name, "ARRAY");
    const std::vector<LayerKey> keys = library.layers(tops[0]);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].layer, 4);
    EXPECT_EQ(keys[0].datatype, 0);

    ASSERT_TRUE(GdsiiLibrary::readFile(QDir(folder).filePath(QStringLiteral("rectangle.gds")), library, error));
    const std::vector<LayerKey> rect = library.layers(library.structureIndex("RECT"));
    ASSERT_EQ(rect.size(), 3u);
    EXPECT_EQ(layerName(rect[1].layer, rect[1].datatype), QStringLiteral("1/5"));
}

namespace {

using TestSupport::GdsiiStream;

MaskGrid grid(unsigned size)
{
    MaskGrid g;
    g.sizeX = g.sizeY = size;
    return g;
}

QString rasterError(const QByteArray &bytes, const MaskPlacement &placement, const MaskGrid &g = grid(10))
{
    GdsiiLibrary library;
    QString error;
    if (!GdsiiLibrary::parse(bytes.constData(), size_t(bytes.size()), library, error))
        return error;
    std::vector<bool> bits(3, true);
    if (rasterizeLayout(library, placement, g, bits, error))
        return QString();
    EXPECT_EQ(bits, std::vector<bool>(3, true)) << "bits changed on failure";
    return error;
}

MaskPlacement layer(int l, const std::string &structure = std::string())
{
    MaskPlacement p;
    p.layer = l;
    p.structure = structure;
    return p;
}

} // namespace

TEST(LayoutMask, HandWrittenStreamRasterisesWithUnitsAndReferences)
{
    // A 4 x 2 µm box at (1, 1) µm, once directly and once through a reference 5 µm up.
    const QByteArray bytes =
        GdsiiStream().begin("CELL").box(7, 1000, 1000, 5000, 3000).end().begin("TOP").reference("CELL", 0, 5000).box(7, 1000, 1000, 5000, 3000).end().finish();
    GdsiiLibrary library;
    QString error;
    ASSERT_TRUE(GdsiiLibrary::parse(bytes.constData(), size_t(bytes.size()), library, error)) << error.toStdString();
    std::vector<bool> bits;
    ASSERT_TRUE(rasterizeLayout(library, layer(7), grid(10), bits, error)) << error.toStdString();
    std::vector<bool> expected(100, false);
    for (unsigned x = 1; x < 5; ++x)
        for (unsigned y : {1u, 2u, 6u, 7u})
            expected[x * 10 + y] = true;
    EXPECT_EQ(picture(bits, 10, 10), picture(expected, 10, 10));
}

struct BadLayout
{
    const char *name;
    QByteArray bytes;
    MaskPlacement placement;
    const char *message; // a part of the sentence the person reads
};

class BadLayoutTest : public ::testing::TestWithParam<BadLayout>
{
};

TEST_P(BadLayoutTest, FailsWithAClearSentenceAndLeavesTheBits)
{
    const QString error = rasterError(GetParam().bytes, GetParam().placement);
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().message))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BadLayoutTest,
    ::testing::Values(
        BadLayout{"UnknownStructure", GdsiiStream().begin("A").box(1, 0, 0, 5000, 5000).end().finish(), layer(1, "B"),
                  "no structure named \"B\""},
        BadLayout{"UnknownLayer", GdsiiStream().begin("A").box(1, 0, 0, 5000, 5000).end().finish(), layer(2),
                  "has no shapes on layer 2"},
        BadLayout{"MissingReferencedStructure",
                  GdsiiStream().begin("A").box(1, 0, 0, 5000, 5000).reference("GONE", 0, 0).end().finish(), layer(1),
                  "refers to \"GONE\""},
        BadLayout{"ReferenceCycle",
                  GdsiiStream().begin("TOP").reference("A", 0, 0).end().begin("A").box(1, 0, 0, 5000, 5000).reference("B", 0, 0).end()
                      .begin("B").reference("A", 10, 10).end().finish(),
                  layer(1), "reference cycle"},
        BadLayout{"HugeArray",
                  GdsiiStream().begin("A").box(1, 0, 0, 500, 500).end().begin("TOP").array("A", 32000, 32000, 1000).end().finish(),
                  layer(1), "32000 x 32000 copies"},
        BadLayout{"CoordinatesBeyond32Bits",
                  GdsiiStream().begin("A").box(1, 0, 0, 2000000000, 5000).end().begin("TOP").reference("A", 2000000000, 0).end().finish(),
                  layer(1, "TOP"), "beyond the coordinates"},
        BadLayout{"NoOverlapWithTheVolume", GdsiiStream().begin("A").box(1, 50000, 50000, 60000, 60000).end().finish(),
                  layer(1), "lies over the volume"},
        BadLayout{"NotAStream", QByteArray("PK\x03\x04 not a layout at all"), layer(1), "does not start"},
        BadLayout{"RecordPastTheEnd", GdsiiStream().finish().left(62) + QByteArray("\x7f\xf0\x08\x00", 4),
                  layer(1), "claims"},
        BadLayout{"NoEnd", GdsiiStream().begin("A").box(1, 0, 0, 5000, 5000).end().finish().chopped(4), layer(1),
                  "ends before"}),
    [](const ::testing::TestParamInfo<BadLayout> &info) { return std::string(info.param.name); });

TEST(LayoutMask, EveryTruncationOfAGoodFileIsRefusedWithAMessage)
{
    const QByteArray bytes = GdsiiStream().begin("A").box(1, 0, 0, 5000, 5000).end().begin("TOP").array("A", 3, 2, 6000).end().finish();
    for (int n = 0; n < bytes.size(); ++n) {
        GdsiiLibrary library;
        QString error;
        EXPECT_FALSE(GdsiiLibrary::parse(bytes.constData(), size_t(n), library, error)) << n;
        EXPECT_TRUE(error.startsWith(QStringLiteral("The layout is damaged"))) << n << error.toStdString();
    }
}

TEST(LayoutMask, AMissingFileIsNamedInTheMessage)
{
    GdsiiLibrary library;
    QString error;
    EXPECT_FALSE(GdsiiLibrary::readFile(QStringLiteral("no-such.gds"), library, error));
    EXPECT_TRUE(error.contains(QStringLiteral("no-such.gds"))) << error.toStdString();
}

TEST(LayoutMask, LayerNamesReadBack)
{
    struct Row
    {
        const char *text;
        bool ok;
        int layer, datatype;
    } rows[] = {{"3", true, 3, -1}, {"3/0", true, 3, 0}, {" 12 / 7 ", true, 12, 7}, {"x", false, 0, 0},
                {"-1", false, 0, 0}, {"70000", false, 0, 0}, {"", false, 0, 0}};
    for (const Row &r : rows) {
        int l = 0, d = 0;
        EXPECT_EQ(parseLayerName(QString::fromLatin1(r.text), l, d), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(l, r.layer) << r.text;
            EXPECT_EQ(d, r.datatype) << r.text;
            EXPECT_EQ(layerName(l, d).remove(QLatin1Char(' ')), QString::fromLatin1(r.text).remove(QLatin1Char(' ')));
        }
    }
}

TEST(LayoutMask, AManyVertexCircleCoversTheCellsWhoseCentresLieInside)
{
    // 2000 vertices on a circle of radius 20 µm about (25.3, 24.7) µm.
    const double cx = 25.3, cy = 24.7, r = 20.0;
    std::vector<int> xy;
    for (int k = 0; k < 2000; ++k) {
        const double t = 2 * 3.14159265358979 * k / 2000;
        xy.push_back(int(std::lround((cx + r * std::cos(t)) * 1000)));
        xy.push_back(int(std::lround((cy + r * std::sin(t)) * 1000)));
    }
    const QByteArray bytes = GdsiiStream().begin("DOT").polygon(2, xy).end().finish();
    GdsiiLibrary library;
    QString error;
    ASSERT_TRUE(GdsiiLibrary::parse(bytes.constData(), size_t(bytes.size()), library, error)) << error.toStdString();
    std::vector<bool> bits;
    ASSERT_TRUE(rasterizeLayout(library, layer(2), grid(50), bits, error)) << error.toStdString();
    int checked = 0;
    for (unsigned x = 0; x < 50; ++x)
        for (unsigned y = 0; y < 50; ++y) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (std::fabs(d - r) < 0.01) // the polygon's chords lie within 0.001 µm of the circle
                continue;
            EXPECT_EQ(bool(bits[x * 50 + y]), d < r) << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 2400);
}
