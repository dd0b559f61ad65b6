#include "geometrytestsupport.h"

#include "Model/Geometry/cubicsurface.h"
#include "Model/Geometry/octreesurface.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace GeometryTest;
using Model::Geometry::OctreeSurface;
using Model::Geometry::FaceVector;
using Model::Geometry::QuadFace;

namespace {

double area(const QuadFace &f)
{
    double e[2] = {0, 0};
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 3; ++i)
            e[k] += std::abs(double(f.corners[k + 1][i]) - f.corners[k][i]);
    return e[0] * e[1];
}

double totalArea(const FaceVector &faces)
{
    double a = 0;
    for (const QuadFace &f : faces)
        a += area(f);
    return a;
}

struct BlockCase
{
    const char *name;
    unsigned volume;              // cube edge of the volume
    unsigned x0, y0, z0, x1, y1, z1; // the opaque block
    size_t faces;
    double faceArea; // of every face
};

void PrintTo(const BlockCase &c, std::ostream *os) { *os << c.name; }

class OctreeBlocks : public ::testing::TestWithParam<BlockCase>
{
};

TEST_P(OctreeBlocks, UniformBlockGivesLeafSizedFaces)
{
    const BlockCase &c = GetParam();
    Cells cells(c.volume, c.volume, c.volume);
    cells.fill([&](unsigned x, unsigned y, unsigned z) {
        return x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1 && z >= c.z0 && z < c.z1 ? uint32_t(OpaqueA) : 0u;
    });
    OctreeSurface octree;
    octree.generate(cells.grid, testColors());
    ASSERT_EQ(octree.opaqueFaces().size(), c.faces);
    EXPECT_TRUE(octree.translucentFaces().empty());
    for (const QuadFace &f : octree.opaqueFaces())
        EXPECT_DOUBLE_EQ(area(f), c.faceArea);
    // The same surface as the direct cubic one, only in larger pieces.
    const double cubicArea = totalArea(Model::Geometry::CubicSurface::generate(cells.grid, testColors(), 1).opaque);
    EXPECT_DOUBLE_EQ(totalArea(octree.opaqueFaces()), cubicArea);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, OctreeBlocks,
    ::testing::Values(BlockCase{"Block2AloneInItsRange", 2, 0, 0, 0, 2, 2, 2, 6, 4.0},
                      BlockCase{"Block2InAnAlignedOctant", 4, 2, 0, 2, 4, 2, 4, 6, 4.0},
                      // Straddling octants: eight single-cell leaves.
                      BlockCase{"Block2OffTheGrid", 4, 1, 1, 1, 3, 3, 3, 24, 1.0},
                      BlockCase{"SingleCell", 5, 4, 0, 3, 5, 1, 4, 6, 1.0}),
    [](const ::testing::TestParamInfo<BlockCase> &info) { return std::string(info.param.name); });

TEST(OctreeSurface, TranslucentAndOpaqueLeaves)
{
    Cells cells(2, 1, 1);
    cells.at(0, 0, 0).material = GlassA;
    cells.at(1, 0, 0).material = OpaqueA;
    OctreeSurface octree;
    octree.generate(cells.grid, testColors());
    // The opaque cell shows all six faces (one of them to the glass); the glass
    // shows five to the empty outside.
    EXPECT_EQ(octree.opaqueFaces().size(), 6u);
    EXPECT_EQ(octree.translucentFaces().size(), 5u);
    // Two translucent materials side by side: no face between them.
    cells.at(1, 0, 0).material = GlassB;
    octree.generate(cells.grid, testColors());
    EXPECT_EQ(octree.translucentFaces().size(), 10u);
}

TEST(OctreeSurface, NeighbourSearchFindsTouchingNodes)
{
    Cells cells(4, 4, 4);
    cells.at(0, 0, 0).material = OpaqueA; // forces the lower octant to split
    OctreeSurface octree;
    octree.generate(cells.grid, testColors());
    const auto &nodes = octree.nodes();
    for (int32_t i = 0; i < int32_t(nodes.size()); ++i) {
        const OctreeSurface::Node &n = nodes[size_t(i)];
        for (unsigned side = 0; side < 6; ++side) {
            const int32_t j = octree.neighbour(i, side);
            const unsigned axis = side < 2 ? 2 : side < 4 ? 1 : 0;
            const uint32_t lo[3] = {n.x, n.y, n.z};
            const bool atBorder = (side & 1) ? lo[axis] + n.edge == 4 : lo[axis] == 0;
            ASSERT_EQ(j < 0, atBorder) << i << " side " << side;
            if (j < 0)
                continue;
            const OctreeSurface::Node &m = nodes[size_t(j)];
            const uint32_t mlo[3] = {m.x, m.y, m.z};
            EXPECT_GE(m.edge, n.edge);
            // They touch along the axis and overlap across it.
            EXPECT_EQ((side & 1) ? mlo[axis] : mlo[axis] + m.edge, (side & 1) ? lo[axis] + n.edge : lo[axis]);
            for (unsigned a = 0; a < 3; ++a)
                if (a != axis) {
                    EXPECT_LE(mlo[a], lo[a]);
                    EXPECT_GE(mlo[a] + m.edge, lo[a] + n.edge);
                }
        }
    }
}

TEST(OctreeSurface, RoughSurfaceCoversTheCubicArea)
{
    Cells cells(13, 11, 9);
    roughLandscape(cells);
    for (size_t i = 0; i < cells.voxels.size(); ++i)
        if (cells.voxels[i].material == GlassA || cells.voxels[i].material == GlassB)
            cells.voxels[i].material = 0; // translucent rules differ between the views
    OctreeSurface octree;
    octree.generate(cells.grid, testColors());
    EXPECT_DOUBLE_EQ(totalArea(octree.opaqueFaces()),
                     totalArea(Model::Geometry::CubicSurface::generate(cells.grid, testColors(), 1).opaque));
    // Stable between runs: same faces in the same order.
    OctreeSurface again;
    again.generate(cells.grid, testColors());
    EXPECT_TRUE(sameFaces(octree.opaqueFaces(), again.opaqueFaces()));
}

TEST(OctreeSurface, EmptyRangeGivesNothing)
{
    Cells cells(3, 3, 3);
    cells.fill([](unsigned, unsigned, unsigned) { return uint32_t(OpaqueA); });
    cells.grid.range = {1, 1, 1, 1, 3, 3};
    OctreeSurface octree;
    octree.generate(cells.grid, testColors());
    EXPECT_TRUE(octree.opaqueFaces().empty());
    EXPECT_TRUE(octree.nodes().empty());
}

} // namespace
