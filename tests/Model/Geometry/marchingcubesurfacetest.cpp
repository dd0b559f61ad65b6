#include "geometrytestsupport.h"

#include "Model/Geometry/marchingcubesurface.h"
#include "Model/Geometry/marchingcubetables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

using namespace GeometryTest;
using Model::Automaton::Triangle;
using Model::Automaton::TriangleVector;
using Model::Geometry::MarchingCubeSurface;
using Model::Geometry::MarchingCubeTables;

namespace {

typedef std::tuple<long, long, long> Point;

Point pointOf(const Triangle::Vertex &v)
{
    // Vertices lie on the half-cell grid: exact after doubling.
    return Point(std::lround(v.position[0] * 2), std::lround(v.position[1] * 2), std::lround(v.position[2] * 2));
}

// Closed and consistently oriented: every directed edge appears exactly once
// and its reverse exactly once.
void expectClosed(const TriangleVector &triangles)
{
    std::map<std::pair<Point, Point>, int> directed;
    for (const Triangle &t : triangles)
        for (int i = 0; i < 3; ++i)
            ++directed[{pointOf(t.vertices[i]), pointOf(t.vertices[(i + 1) % 3])}];
    for (const auto &e : directed) {
        ASSERT_EQ(e.second, 1) << "edge used twice in one direction";
        const auto reverse = directed.find({e.first.second, e.first.first});
        ASSERT_TRUE(reverse != directed.end()) << "open edge";
    }
}

// Every triangle faces away from the filled cells (cell size 1): each vertex
// sits between a filled and an empty cell centre on one axis, and the face
// normal points, summed over the three vertices, from filled to empty.
void expectFacingOutwards(const TriangleVector &triangles, Cells &cells)
{
    auto filled = [&](long x, long y, long z) {
        if (x < 0 || y < 0 || z < 0 || x >= long(cells.grid.sizeX) || y >= long(cells.grid.sizeY) ||
            z >= long(cells.grid.sizeZ))
            return false;
        return cells.at(unsigned(x), unsigned(y), unsigned(z)).material != 0;
    };
    for (const Triangle &t : triangles) {
        const float *a = t.vertices[0].position, *b = t.vertices[1].position, *c = t.vertices[2].position;
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        float sum = 0.0f;
        for (const Triangle::Vertex &vertex : t.vertices) {
            long g[3];
            int axis = -1;
            for (int i = 0; i < 3; ++i) {
                const long twice = std::lround(vertex.position[i] * 2.0f);
                if (twice % 2 == 0)
                    axis = i; // on a cell face plane along this axis
                g[i] = long(std::floor(vertex.position[i]));
            }
            ASSERT_GE(axis, 0);
            long lo[3] = {g[0], g[1], g[2]};
            lo[axis] -= 1;
            const bool lowFilled = filled(lo[0], lo[1], lo[2]);
            ASSERT_NE(lowFilled, filled(g[0], g[1], g[2])) << "vertex not between filled and empty";
            sum += (lowFilled ? 1.0f : -1.0f) * n[axis];
        }
        EXPECT_GT(sum, 0.0f);
    }
}

TEST(MarchingCubeTables, EveryCaseCutsItsEdgesAndEndsInMinusOne)
{
    const uint16_t *edges = MarchingCubeTables::edgeTable();
    const int8_t(*tris)[16] = MarchingCubeTables::triangleTable();
    EXPECT_EQ(edges[0], 0);
    EXPECT_EQ(edges[255], 0);
    EXPECT_EQ(edges[1], 0x109); // corner 0: edges 0, 3, 8
    for (int c = 0; c < 256; ++c) {
        int n = 0;
        uint16_t used = 0;
        while (n < 16 && tris[c][n] >= 0)
            used |= uint16_t(1u << tris[c][n++]);
        ASSERT_LT(n, 16) << c;
        EXPECT_EQ(n % 3, 0) << c;
        EXPECT_EQ(used, edges[c]) << c; // triangles use exactly the cut edges
        EXPECT_EQ(edges[c], edges[255 - c]) << c;
    }
}

struct ShapeCase
{
    const char *name;
    unsigned size;
    std::function<bool(unsigned, unsigned, unsigned)> filled;
    size_t triangles;
};

void PrintTo(const ShapeCase &c, std::ostream *os) { *os << c.name; }

class MarchingCubeShapes : public ::testing::TestWithParam<ShapeCase>
{
};

TEST_P(MarchingCubeShapes, GivesAClosedOutwardSurface)
{
    const ShapeCase &c = GetParam();
    Cells cells(c.size, c.size, c.size);
    cells.fill([&](unsigned x, unsigned y, unsigned z) { return c.filled(x, y, z) ? uint32_t(OpaqueA) : 0u; });
    MarchingCubeSurface surface;
    surface.generate(cells.grid, 1);
    EXPECT_EQ(surface.triangles().size(), c.triangles);
    expectClosed(surface.triangles());
    expectFacingOutwards(surface.triangles(), cells);
    for (int threads : {2, 3, 7}) {
        MarchingCubeSurface other;
        withThreads(threads, [&] { other.generate(cells.grid); });
        ASSERT_EQ(other.triangles().size(), surface.triangles().size()) << threads;
        EXPECT_EQ(0, std::memcmp(other.triangles().data(), surface.triangles().data(),
                                 surface.triangles().size() * sizeof(Triangle)))
            << threads;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, MarchingCubeShapes,
    ::testing::Values(
        // One corner in each of the eight cubes around the cell: an octahedron.
        ShapeCase{"SingleCell", 3, [](unsigned x, unsigned y, unsigned z) { return x == 1 && y == 1 && z == 1; }, 8},
        // 8 corner cubes of 1, 12 edge cubes of 2, 6 face cubes of 2 triangles.
        ShapeCase{"Block2", 4,
                  [](unsigned x, unsigned y, unsigned z) { return x >= 1 && x < 3 && y >= 1 && y < 3 && z >= 1 && z < 3; },
                  44},
        // Touching the volume's border: the surface still closes there.
        ShapeCase{"CellInTheCorner", 2, [](unsigned x, unsigned y, unsigned z) { return x + y + z == 0; }, 8},
        // Diagonal neighbours stay apart on the shared cube face.
        ShapeCase{"DiagonalPair", 4,
                  [](unsigned x, unsigned y, unsigned z) { return z == 1 && ((x == 1 && y == 1) || (x == 2 && y == 2)); },
                  16},
        ShapeCase{"Sphere10", 24,
                  [](unsigned x, unsigned y, unsigned z) {
                      const double dx = x - 11.5, dy = y - 11.5, dz = z - 11.5;
                      return dx * dx + dy * dy + dz * dz <= 100.0;
                  },
                  // Pinned: a change here means the tables or the cube walk changed.
                  3788}),
    [](const ::testing::TestParamInfo<ShapeCase> &info) { return std::string(info.param.name); });

TEST(MarchingCubeSurface, VerticesTakeTheFilledCornersMaterialAndSmoothNormals)
{
    Cells cells(3, 2, 2);
    cells.at(0, 0, 0).material = OpaqueA;
    cells.at(1, 0, 0).material = OpaqueB;
    MarchingCubeSurface surface;
    surface.generate(cells.grid, 1);
    ASSERT_FALSE(surface.triangles().empty());
    std::map<Point, std::tuple<float, float, float>> normalAt;
    for (const Triangle &t : surface.triangles())
        for (const Triangle::Vertex &v : t.vertices) {
            EXPECT_TRUE(v.material == OpaqueA || v.material == OpaqueB);
            // Vertices left of the shared face belong to A, right of it to B.
            if (v.position[0] < 0.9f) {
                EXPECT_EQ(v.material, OpaqueA);
            }
            if (v.position[0] > 1.6f) {
                EXPECT_EQ(v.material, OpaqueB);
            }
            const float len = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2]);
            EXPECT_NEAR(len, 1.0f, 1e-5f);
            // One normal per position.
            const auto n = std::make_tuple(v.normal[0], v.normal[1], v.normal[2]);
            const auto it = normalAt.emplace(pointOf(v), n);
            EXPECT_EQ(it.first->second, n);
        }
}

TEST(MarchingCubeSurface, RangeCutsAndClosesTheBody)
{
    Cells cells(6, 6, 6);
    cells.fill([](unsigned, unsigned, unsigned) { return uint32_t(OpaqueA); });
    cells.grid.range = {1, 2, 0, 4, 5, 3};
    MarchingCubeSurface surface;
    surface.generate(cells.grid, 1);
    expectClosed(surface.triangles());
    for (const Triangle &t : surface.triangles())
        for (const Triangle::Vertex &v : t.vertices) {
            EXPECT_GE(v.position[0], 1.0f);
            EXPECT_LE(v.position[0], 4.0f);
            EXPECT_GE(v.position[1], 2.0f);
            EXPECT_LE(v.position[1], 5.0f);
            EXPECT_LE(v.position[2], 3.0f);
        }
    cells.grid.range = {3, 0, 0, 3, 6, 6};
    surface.generate(cells.grid, 1);
    EXPECT_TRUE(surface.triangles().empty());
}

} // namespace
