#include "geometrytestsupport.h"

#include "Model/Geometry/cubicsurface.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using namespace GeometryTest;
using Model::Geometry::CubicSurface;
using Model::Geometry::FaceLists;
using Model::Geometry::FaceVector;
using Model::Geometry::QuadFace;

namespace {

struct FaceCountCase
{
    const char *name;
    uint32_t first, second; // materials of cells (0,0,0) and (1,0,0) of a 2x1x1 range
    int cutSecond;          // cut count of the second cell
    size_t opaque, translucent;
};

void PrintTo(const FaceCountCase &c, std::ostream *os) { *os << c.name; }

class CubicFaceCounts : public ::testing::TestWithParam<FaceCountCase>
{
};

TEST_P(CubicFaceCounts, CountsFacesOfTwoNeighbouringCells)
{
    const FaceCountCase &c = GetParam();
    Cells cells(2, 1, 1);
    cells.at(0, 0, 0).material = c.first;
    cells.at(1, 0, 0).material = c.second;
    cells.cutAt(1, 0, 0) = uint8_t(c.cutSecond);
    const FaceLists faces = CubicSurface::generate(cells.grid, testColors(), 1);
    EXPECT_EQ(faces.opaque.size(), c.opaque);
    EXPECT_EQ(faces.translucent.size(), c.translucent);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CubicFaceCounts,
    ::testing::Values(FaceCountCase{"SingleOpaqueCell", OpaqueA, 0, 0, 6, 0},
                      FaceCountCase{"TwoOpaqueOneMaterial", OpaqueA, OpaqueA, 0, 10, 0},
                      FaceCountCase{"TwoOpaqueTwoMaterials", OpaqueA, OpaqueB, 0, 10, 0},
                      FaceCountCase{"TwoTranslucentOneMaterial", GlassA, GlassA, 0, 0, 10},
                      FaceCountCase{"TwoTranslucentTwoMaterials", GlassA, GlassB, 0, 0, 12},
                      // The translucent cell loses the shared face, the opaque one keeps it.
                      FaceCountCase{"TranslucentNextToOpaque", GlassA, OpaqueA, 0, 6, 5},
                      FaceCountCase{"OpaqueNextToCutOpaque", OpaqueA, OpaqueA, 1, 6, 0},
                      // A cut neighbour is empty even with the same material.
                      FaceCountCase{"TranslucentNextToCutSameMaterial", GlassA, GlassA, 1, 0, 6},
                      FaceCountCase{"TranslucentNextToCutOpaque", GlassA, OpaqueA, 3, 0, 6},
                      FaceCountCase{"InvisibleMaterial", Ghost, Ghost, 0, 0, 0},
                      FaceCountCase{"OpaqueNextToInvisible", OpaqueA, Ghost, 0, 6, 0},
                      FaceCountCase{"MaterialMissingFromColours", Unknown, OpaqueA, 0, 6, 0},
                      FaceCountCase{"Empty", 0, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<FaceCountCase> &info) { return std::string(info.param.name); });

TEST(CubicSurface, FacesOfOneCellHaveTheirCornersNormalsAndColour)
{
    Cells cells(3, 3, 3);
    cells.grid.cellSizeX = 2.0f;
    cells.grid.cellSizeY = 3.0f;
    cells.grid.cellSizeZ = 0.5f;
    cells.at(1, 2, 0).material = OpaqueB;
    const FaceLists faces = CubicSurface::generate(cells.grid, testColors(), 1);
    ASSERT_EQ(faces.opaque.size(), 6u);
    for (unsigned side = 0; side < 6; ++side) {
        const QuadFace &f = faces.opaque[side];
        EXPECT_EQ(f.side, side);
        EXPECT_EQ(f.material, OpaqueB);
        EXPECT_FLOAT_EQ(f.fill[1], 0.8f);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(f.fill[i], f.edge[i]);
        // Corners lie within the cell's box, on the side the normal points to,
        // and run counter-clockwise seen from outside.
        const float lo[3] = {2.0f, 6.0f, 0.0f}, hi[3] = {4.0f, 9.0f, 0.5f};
        for (const float *p : f.corners)
            for (int a = 0; a < 3; ++a) {
                EXPECT_GE(p[a], lo[a]);
                EXPECT_LE(p[a], hi[a]);
                if (f.normal()[a] != 0.0f) {
                    EXPECT_EQ(p[a], f.normal()[a] > 0 ? hi[a] : lo[a]);
                }
            }
        const float *p0 = f.corners[0], *p1 = f.corners[1], *p2 = f.corners[2];
        const float u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const float v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        EXPECT_GT(n[0] * f.normal()[0] + n[1] * f.normal()[1] + n[2] * f.normal()[2], 0.0f) << "side " << side;
    }
    // Serials follow list order.
    for (size_t i = 1; i < faces.opaque.size(); ++i)
        EXPECT_EQ(faces.opaque[i].serial, faces.opaque[i - 1].serial + 1);
}

TEST(CubicSurface, DrawRangeClosesTheBodyAtItsFaces)
{
    Cells cells(4, 4, 4);
    cells.fill([](unsigned, unsigned, unsigned) { return uint32_t(OpaqueA); });
    cells.grid.range = {1, 1, 1, 3, 3, 2};
    const FaceLists faces = CubicSurface::generate(cells.grid, testColors(), 1);
    // A 2 x 2 x 1 block: 4 top, 4 bottom, 8 around.
    EXPECT_EQ(faces.opaque.size(), 16u);
    cells.grid.range = {2, 0, 0, 2, 4, 4};
    EXPECT_TRUE(CubicSurface::generate(cells.grid, testColors(), 1).opaque.empty());
}

TEST(CubicSurface, EmptyCellOutlinesCoverEmptyAndCutCells)
{
    Cells cells(2, 2, 1);
    cells.at(0, 0, 0).material = OpaqueA;
    cells.at(1, 0, 0).material = OpaqueA;
    cells.cutAt(1, 0, 0) = 2;
    const FaceVector faces = CubicSurface::emptyCellFaces(cells.grid, 1);
    ASSERT_EQ(faces.size(), 18u);
    for (const QuadFace &f : faces) {
        EXPECT_FLOAT_EQ(f.fill[0], 0.8f);
        EXPECT_FLOAT_EQ(f.fill[3], 1.0f);
    }
}

// Every generator gives the same faces in the same order whatever the pool size.
TEST(CubicSurface, SameFacesForAnyThreadCount)
{
    Cells cells(23, 9, 14);
    roughLandscape(cells);
    const Model::Geometry::ColorMap colors = testColors();
    const FaceLists reference = withThreads(1, [&] { return CubicSurface::generate(cells.grid, colors); });
    const FaceVector emptyReference =
        withThreads(1, [&] { return CubicSurface::emptyCellFaces(cells.grid); });
    ASSERT_GT(reference.opaque.size(), 100u);
    ASSERT_GT(reference.translucent.size(), 100u);
    for (int threads : {2, 3, 7}) {
        const FaceLists faces = withThreads(threads, [&] { return CubicSurface::generate(cells.grid, colors); });
        EXPECT_TRUE(sameFaces(faces.opaque, reference.opaque)) << threads;
        EXPECT_TRUE(sameFaces(faces.translucent, reference.translucent)) << threads;
        EXPECT_TRUE(sameFaces(withThreads(threads, [&] { return CubicSurface::emptyCellFaces(cells.grid); }),
                              emptyReference))
            << threads;
    }
    // A range narrower along x than the pool gives the same faces as one slab.
    cells.grid.range.x0 = 10;
    cells.grid.range.x1 = 13;
    EXPECT_TRUE(sameFaces(withThreads(7, [&] { return CubicSurface::generate(cells.grid, colors); }).translucent,
                          CubicSurface::generate(cells.grid, colors, 1).translucent));
}

// Faces only appear between differently visible cells: every kept face of an
// opaque body is unique (no two faces on the same square facing the same way).
TEST(CubicSurface, NoDuplicateFaces)
{
    Cells cells(12, 10, 9);
    roughLandscape(cells);
    const FaceLists faces = CubicSurface::generate(cells.grid, testColors(), 3);
    std::set<std::tuple<float, float, float, unsigned>> seen;
    for (const FaceVector *list : {&faces.opaque, &faces.translucent})
        for (const QuadFace &f : *list)
            EXPECT_TRUE(seen.insert(std::make_tuple(f.corners[0][0], f.corners[0][1], f.corners[0][2], f.side)).second);
}

} // namespace
