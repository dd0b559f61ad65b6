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
