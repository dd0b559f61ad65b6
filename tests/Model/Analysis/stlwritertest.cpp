#include "Model/Analysis/stlwriter.h"
#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <set>

using namespace Model::Analysis;
using Model::Automaton::TotalVolume;
using TestSupport::makeVolume;

namespace {

typedef std::array<float, 3> Point;

struct Triangle
{
    Point normal;
    Point p[3];
};

// Reads a binary STL back; fails the test on a malformed file.
std::vector<Triangle> readStl(const QString &path)
{
    const QByteArray bytes = TestSupport::readAll(path);
    std::vector<Triangle> triangles;
    EXPECT_GE(bytes.size(), 84);
    if (bytes.size() < 84)
        return triangles;
    EXPECT_FALSE(bytes.startsWith("solid")) << "readers would take it for a text STL";
    uint32_t count = 0;
    std::memcpy(&count, bytes.constData() + 80, 4);
    EXPECT_EQ(qint64(84) + qint64(count) * 50, bytes.size());
    if (qint64(84) + qint64(count) * 50 != bytes.size())
        return triangles;
    for (uint32_t t = 0; t < count; ++t) {
        const char *r = bytes.constData() + 84 + size_t(t) * 50;
        Triangle tri;
        std::memcpy(tri.normal.data(), r, 12);
        for (int k = 0; k < 3; ++k)
            std::memcpy(tri.p[k].data(), r + 12 + 12 * k, 12);
        triangles.push_back(tri);
    }
    return triangles;
}

double signedVolume(const std::vector<Triangle> &triangles)
{
    double v = 0.0;
    for (const Triangle &t : triangles) {
        const double a[3] = {t.p[0][0], t.p[0][1], t.p[0][2]}, b[3] = {t.p[1][0], t.p[1][1], t.p[1][2]},
                     c[3] = {t.p[2][0], t.p[2][1], t.p[2][2]};
        v += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return v / 6.0;
}

// Directed edge counts: a closed, consistently turned surface runs every
// edge once each way per pair of faces meeting there.
std::map<std::pair<Point, Point>, int> directedEdges(const std::vector<Triangle> &triangles)
{
    std::map<std::pair<Point, Point>, int> edges;
    for (const Triangle &t : triangles)
        for (int k = 0; k < 3; ++k)
            ++edges[std::make_pair(t.p[k], t.p[(k + 1) % 3])];
    return edges;
}

// The winding agrees with the stored normal, which points along one axis.
void expectNormalsMatchWinding(const std::vector<Triangle> &triangles)
{
    for (const Triangle &t : triangles) {
        const double u[3] = {t.p[1][0] - t.p[0][0], t.p[1][1] - t.p[0][1], t.p[1][2] - t.p[0][2]};
        const double w[3] = {t.p[2][0] - t.p[0][0], t.p[2][1] - t.p[0][1], t.p[2][2] - t.p[0][2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        const double dot = n[0] * t.normal[0] + n[1] * t.normal[1] + n[2] * t.normal[2];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        ASSERT_GT(length, 0.0);
        ASSERT_NEAR(1.0, dot / length, 1e-6);
    }
}

struct StlCase
{
    const char *name;
    unsigned sx, sy, sz;
    float cx, cy, cz;
    TestSupport::Layout layout;
};

class StlSurfaces : public ::testing::TestWithParam<StlCase>
{
};

// Manifold shapes: layers, a buried block, a hollow box with a closed cavity
// and a material touching the volume's sides.
const StlCase manifoldCases[] = {
    {"layers", 6, 5, 8, 1.0f, 1.0f, 0.35f,
     [](unsigned, unsigned, unsigned z) { return z < 3 ? 1u : z < 5 ? 3u : z < 6 ? 11u : 0u; }},
    {"buried", 7, 7, 7, 2.0f, 1.0f, 0.5f,
     [](unsigned x, unsigned y, unsigned z) {
         return (x >= 2 && x < 5 && y >= 1 && y < 4 && z >= 2 && z < 4) ? 9u : z < 6 ? 1u : 0u;
     }},
    {"hollow", 6, 6, 6, 1.0f, 1.0f, 1.0f,
     [](unsigned x, unsigned y, unsigned z) {
         const bool inner = x > 1 && x < 4 && y > 1 && y < 4 && z > 1 && z < 4;
         const bool shell = x > 0 && x < 5 && y > 0 && y < 5 && z > 0 && z < 5;
         return shell && !inner ? 16u : 0u;
     }},
};

} // namespace

TEST_P(StlSurfaces, EveryMaterialIsClosedOutwardAndEnclosesItsCells)
{
    const StlCase c = GetParam();
    QTemporaryDir dir;
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(c.sx, c.sy, c.sz, c.layout, c.cx, c.cy, c.cz, Util::Vector3D(-3.0, 2.0, 5.0));
    const std::vector<uint32_t> cells = TestSupport::materialsOf(*volume);
    const QString prefix = dir.filePath(QStringLiteral("s"));
    QStringList written;
    QString error;
    ASSERT_TRUE(writeStl(*volume, prefix, &error, &written)) << error.toStdString();
    const std::set<uint32_t> present(cells.begin(), cells.end());
    EXPECT_EQ(int(present.size() - present.count(0)), written.size());
    for (uint32_t m : present) {
        if (!m)
            continue;
        SCOPED_TRACE(m);
        ASSERT_TRUE(written.contains(stlFileName(prefix, m)));
        const std::vector<Triangle> triangles = readStl(stlFileName(prefix, m));
        ASSERT_FALSE(triangles.empty());
        // Watertight: each edge in exactly two triangles, once each way (outward everywhere).
        std::map<std::pair<Point, Point>, int> edges = directedEdges(triangles);
        for (const auto &e : edges) {
            ASSERT_EQ(1, e.second);
            ASSERT_EQ(1u, edges.count(std::make_pair(e.first.second, e.first.first)));
        }
        expectNormalsMatchWinding(triangles);
        const double expected = double(TestSupport::countOf(cells, m)) * c.cx * c.cy * c.cz;
        EXPECT_NEAR(expected, signedVolume(triangles), 1e-4 * expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, StlSurfaces, ::testing::ValuesIn(manifoldCases),
                         [](const ::testing::TestParamInfo<StlCase> &info) { return std::string(info.param.name); });

// Random cells touch along edges too; the surfaces stay closed (every edge
// run as often one way as the other) and enclose exactly their cells.
TEST(StlWriterTest, RandomCellsGiveClosedSurfacesOfTheRightVolume)
{
    std::mt19937 random(7);
    std::vector<uint32_t> ids(9 * 8 * 7);
    for (uint32_t &id : ids)
        id = random() % 4 == 0 ? 0u : 1u + random() % 3;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(
        9, 8, 7, [&](unsigned x, unsigned y, unsigned z) { return ids[(x * 8 + y) * 7 + z]; }, 0.5f, 1.5f, 1.0f);
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(writeStl(*volume, dir.filePath("r"), &error)) << error.toStdString();
    for (uint32_t m = 1; m <= 3; ++m) {
        const std::vector<Triangle> triangles = readStl(stlFileName(dir.filePath("r"), m));
        std::map<std::pair<Point, Point>, int> edges = directedEdges(triangles);
        for (const auto &e : edges)
            ASSERT_EQ(e.second, edges[std::make_pair(e.first.second, e.first.first)]);
        const double expected = double(TestSupport::countOf(ids, m)) * 0.75;
        EXPECT_NEAR(expected, signedVolume(triangles), 1e-4 * expected);
    }
}

TEST(StlWriterTest, NothingIsWrittenForAnEmptyVolumeOrAMissingFolder)
{
    QTemporaryDir dir;
    const boost::shared_ptr<TotalVolume> empty = makeVolume(3, 3, 3, [](unsigned, unsigned, unsigned) { return 0u; });
    QString error;
    EXPECT_FALSE(writeStl(*empty, dir.filePath("e"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no material"))) << error.toStdString();
    const boost::shared_ptr<TotalVolume> full = makeVolume(3, 3, 3, [](unsigned, unsigned, unsigned) { return 1u; });
    EXPECT_FALSE(writeStl(*full, dir.filePath("missing/f"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    // A cube of 3 x 3 x 3 cells: 6 sides of 9 faces, two triangles each.
    ASSERT_TRUE(writeStl(*full, dir.filePath("f"), &error));
    EXPECT_EQ(108u, readStl(stlFileName(dir.filePath("f"), 1)).size());
}

namespace {

double areaOf(const std::vector<Triangle> &triangles)
{
    double area = 0;
    for (const Triangle &t : triangles) {
        const double u[3] = {t.p[1][0] - t.p[0][0], t.p[1][1] - t.p[0][1], t.p[1][2] - t.p[0][2]};
        const double w[3] = {t.p[2][0] - t.p[0][0], t.p[2][1] - t.p[0][1], t.p[2][2] - t.p[0][2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        area += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    }
    return area;
}

struct SmoothCase
{
    const char *name;
    unsigned sx, sy, sz;
    float cx, cy, cz;
    // In the volume's units about the volume's centre: inside the shape.
    std::function<bool(double x, double y, double z)> inside;
    double area; // the shape's own area
};

const double Pi = 3.14159265358979323846;

// A sphere, a tall and a flat cylinder, with cubic and with flattened cells.
const SmoothCase smoothCases[] = {
    {"sphere", 28, 28, 28, 1.0f, 1.0f, 1.0f,
     [](double x, double y, double z) { return x * x + y * y + z * z <= 10.0 * 10.0; }, 4 * Pi * 100},
    {"sphereInFlatCells", 36, 36, 60, 0.5f, 0.5f, 0.25f,
     [](double x, double y, double z) { return x * x + y * y + z * z <= 7.0 * 7.0; }, 4 * Pi * 49},
    {"cylinder", 28, 28, 36, 1.0f, 1.0f, 1.0f,
     [](double x, double y, double z) { return x * x + y * y <= 10.0 * 10.0 && std::fabs(z) <= 12; },
     2 * Pi * 100 + 2 * Pi * 10 * 24},
    {"disc", 44, 44, 14, 1.0f, 1.0f, 1.0f,
     [](double x, double y, double z) { return x * x + y * y <= 18.0 * 18.0 && std::fabs(z) <= 4; },
     2 * Pi * 18 * 18 + 2 * Pi * 18 * 8},
};

class SmoothStl : public ::testing::TestWithParam<SmoothCase>
{
};

} // namespace

// Smooth surfaces: closed with every edge in two triangles, turned outward,
// the shape's area within 5 % and the cells' volume within 2 %.
TEST_P(SmoothStl, ASmoothSurfaceHasTheShapesAreaAndEnclosesTheCells)
{
    const SmoothCase c = GetParam();
    const boost::shared_ptr<TotalVolume> volume = makeVolume(
        c.sx, c.sy, c.sz,
        [&](unsigned x, unsigned y, unsigned z) {
            return c.inside((x + 0.5 - c.sx / 2.0) * c.cx, (y + 0.5 - c.sy / 2.0) * c.cy, (z + 0.5 - c.sz / 2.0) * c.cz)
                       ? 5u
                       : 0u;
        },
        c.cx, c.cy, c.cz, Util::Vector3D(1.0, -2.0, 3.0));
    QTemporaryDir dir;
    QString error;
    QStringList written;
    ASSERT_TRUE(writeStl(*volume, dir.filePath("s"), &error, &written, StlSurface::Smooth)) << error.toStdString();
    ASSERT_EQ(written, QStringList{stlFileName(dir.filePath("s"), 5)});
    const std::vector<Triangle> triangles = readStl(written.first());
    ASSERT_GT(triangles.size(), 100u);
    std::map<std::pair<Point, Point>, int> edges = directedEdges(triangles);
    for (const auto &e : edges) {
        ASSERT_EQ(1, e.second);
        ASSERT_EQ(1u, edges.count(std::make_pair(e.first.second, e.first.first)));
    }
    expectNormalsMatchWinding(triangles);
    const double cells = double(TestSupport::countOf(TestSupport::materialsOf(*volume), 5)) * c.cx * c.cy * c.cz;
    EXPECT_NEAR(signedVolume(triangles) / cells, 1.0, 0.02);
    EXPECT_NEAR(areaOf(triangles) / c.area, 1.0, 0.05) << areaOf(triangles) << " against " << c.area;
}

INSTANTIATE_TEST_SUITE_P(Shapes, SmoothStl, ::testing::ValuesIn(smoothCases),
                         [](const ::testing::TestParamInfo<SmoothCase> &info) { return std::string(info.param.name); });

// Layers that fill the volume sideways: each closes along the volume's
// sides, and a flat face of the cells is exactly where the cells end (the
// rounding along the layers' edges takes some of a thin layer's volume).
TEST(StlWriterTest, SmoothLayersCloseAtTheVolumesSidesWithFlatFacesInPlace)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(
        12, 10, 12, [](unsigned, unsigned, unsigned z) { return z < 4 ? 1u : z < 7 ? 3u : 0u; }, 1.0f, 1.0f, 0.5f);
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(writeStl(*volume, dir.filePath("l"), &error, nullptr, StlSurface::Smooth)) << error.toStdString();
    const struct
    {
        uint32_t material;
        double bottom, top, volume;
    } layers[] = {{1, 0.0, 2.0, 12 * 10 * 2.0}, {3, 2.0, 3.5, 12 * 10 * 1.5}};
    for (const auto &layer : layers) {
        SCOPED_TRACE(layer.material);
        const std::vector<Triangle> triangles = readStl(stlFileName(dir.filePath("l"), layer.material));
        std::map<std::pair<Point, Point>, int> edges = directedEdges(triangles);
        for (const auto &e : edges)
            ASSERT_EQ(1u, edges.count(std::make_pair(e.first.second, e.first.first)));
        float lowest = 1e9f, highest = -1e9f;
        for (const Triangle &t : triangles)
            for (const Point &p : t.p) {
                lowest = std::min(lowest, p[2]);
                highest = std::max(highest, p[2]);
            }
        EXPECT_FLOAT_EQ(lowest, float(layer.bottom));
        EXPECT_FLOAT_EQ(highest, float(layer.top));
        EXPECT_LT(signedVolume(triangles), layer.volume);
        EXPECT_GT(signedVolume(triangles), 0.85 * layer.volume);
    }
}

TEST(StlWriterTest, TheSurfaceKindIsReadFromItsName)
{
    const struct
    {
        const char *text;
        bool known;
        StlSurface surface;
    } rows[] = {{"cells", true, StlSurface::Cells},
                {"Smooth", true, StlSurface::Smooth},
                {" SMOOTH ", true, StlSurface::Smooth},
                {"staircase", false, StlSurface::Cells},
                {"", false, StlSurface::Cells}};
    for (const auto &row : rows) {
        StlSurface surface = StlSurface::Cells;
        QString error;
        EXPECT_EQ(parseStlSurface(QLatin1String(row.text), &surface, &error), row.known) << row.text;
        if (row.known) {
            EXPECT_EQ(surface, row.surface);
            EXPECT_EQ(stlSurfaceName(surface), QString::fromLatin1(row.text).trimmed().toLower());
        } else {
            EXPECT_TRUE(error.contains(QStringLiteral("neither"))) << error.toStdString();
        }
    }
}
