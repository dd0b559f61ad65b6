#include "geometrytestsupport.h"

#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/cubicsurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace GeometryTest;
using Model::Geometry::BSPTree;
using Model::Geometry::FaceVector;
using Model::Geometry::QuadFace;

namespace {

const float kGlass[4] = {0.1f, 0.1f, 0.8f, 0.5f};

QuadFace face(unsigned x, unsigned y, unsigned z, unsigned side)
{
    return QuadFace::cellFace(x, y, z, side, 1.0f, 1.0f, 1.0f, kGlass, GlassA);
}

TEST(BSPTree, EmptyListGivesNoTree)
{
    QString error;
    EXPECT_FALSE(BSPTree::build({}, &error));
    EXPECT_TRUE(error.isEmpty());
}

TEST(BSPTree, FacesInOnePlaneShareOneNode)
{
    const FaceVector faces = {face(0, 0, 2, QuadFace::PlusZ), face(1, 0, 2, QuadFace::PlusZ),
                                         face(5, 3, 2, QuadFace::PlusZ), face(2, 2, 3, QuadFace::MinusZ)};
    const boost::shared_ptr<BSPTree> tree = BSPTree::build(faces);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->nodes().size(), 1u);
    EXPECT_EQ(tree->nodes()[0].faces, (std::vector<uint32_t>{0, 1, 2, 3}));
    std::vector<uint32_t> order;
    tree->backToFront(Util::Vector3D(0, 0, 100), order);
    EXPECT_EQ(order.size(), 4u);
}

// Two parallel faces one cell apart, seen from either side: the far one first.
TEST(BSPTree, ViewersOnOppositeSidesSeeOppositeOrders)
{
    struct Case
    {
        unsigned side;
        Util::Vector3D viewerA, viewerB;
    };
    const Case cases[] = {{QuadFace::PlusZ, Util::Vector3D(0.5, 0.5, 50), Util::Vector3D(0.5, 0.5, -50)},
                          {QuadFace::MinusX, Util::Vector3D(-50, 0.5, 0.5), Util::Vector3D(50, 0.5, 0.5)},
                          {QuadFace::PlusY, Util::Vector3D(3, 40, -2), Util::Vector3D(3, -40, -2)}};
    for (const Case &c : cases) {
        // Faces of cells 0 and 2 along the face's axis.
        const unsigned axis = c.side / 2; // 0 z, 1 y, 2 x
        auto at = [&](unsigned k) {
            return face(axis == 2 ? k : 0, axis == 1 ? k : 0, axis == 0 ? k : 0, c.side);
        };
        const FaceVector faces = {at(0), at(2)};
        const boost::shared_ptr<BSPTree> tree = BSPTree::build(faces);
        ASSERT_TRUE(tree);
        std::vector<uint32_t> a, b;
        tree->backToFront(c.viewerA, a);
        tree->backToFront(c.viewerB, b);
        ASSERT_EQ(a.size(), 2u);
        EXPECT_EQ(a, (std::vector<uint32_t>{b[1], b[0]})) << "side " << c.side;
        // The face nearer the viewer comes last.
        const float *n = faces[a[1]].normal();
        const double along = n[0] * c.viewerA.x + n[1] * c.viewerA.y + n[2] * c.viewerA.z;
        const double nearer = n[0] * faces[a[1]].corners[0][0] + n[1] * faces[a[1]].corners[0][1] +
                              n[2] * faces[a[1]].corners[0][2];
        const double farther = n[0] * faces[a[0]].corners[0][0] + n[1] * faces[a[0]].corners[0][1] +
                               n[2] * faces[a[0]].corners[0][2];
        EXPECT_LT(std::abs(along - nearer), std::abs(along - farther));
    }
}

TEST(BSPTree, StraddlingFaceStopsTheBuild)
{
    // A +z face at z = 1 and a side face spanning z = 0.5 .. 1.5.
    QuadFace side = face(3, 0, 0, QuadFace::PlusX);
    for (float *p : side.corners)
        p[2] += 0.5f;
    QString error;
    EXPECT_FALSE(BSPTree::build({face(0, 0, 0, QuadFace::PlusZ), side}, &error));
    EXPECT_EQ(error, QStringLiteral("Method not implemented!"));
}

// On a real translucent surface the walk emits every face once and never
// draws a face before one that lies behind it as seen from the viewer.
TEST(BSPTree, WalkIsAValidBackToFrontOrder)
{
    Cells cells(9, 8, 10);
    roughLandscape(cells);
    const FaceVector faces = Model::Geometry::CubicSurface::generate(cells.grid, testColors(), 1).translucent;
    ASSERT_GT(faces.size(), 50u);
    const boost::shared_ptr<BSPTree> tree = BSPTree::build(faces);
    ASSERT_TRUE(tree);
    for (const Util::Vector3D &viewer :
         {Util::Vector3D(100, 40, 200), Util::Vector3D(-80, 30, -20), Util::Vector3D(4.5, 4.2, 300)}) {
        std::vector<uint32_t> order;
        tree->backToFront(viewer, order);
        std::vector<uint32_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted.size(), faces.size());
        for (uint32_t i = 0; i < sorted.size(); ++i)
            ASSERT_EQ(sorted[i], i);
        // Per node: faces of the far subtree first, then the node's own, then the near subtree;
        // and the build put every face on the side of the plane it lies on.
        std::vector<size_t> position(faces.size());
        for (size_t k = 0; k < order.size(); ++k)
            position[order[k]] = k;
        const std::vector<BSPTree::Node> &nodes = tree->nodes();
        std::function<void(int32_t, std::vector<uint32_t> &)> collect = [&](int32_t n, std::vector<uint32_t> &out) {
            if (n < 0)
                return;
            out.insert(out.end(), nodes[n].faces.begin(), nodes[n].faces.end());
            collect(nodes[n].front, out);
            collect(nodes[n].back, out);
        };
        for (const BSPTree::Node &node : nodes) {
            std::vector<uint32_t> front, back;
            collect(node.front, front);
            collect(node.back, back);
            for (uint32_t f : node.faces)
                EXPECT_EQ(BSPTree::classify(node, faces[f]), BSPTree::OnPlane);
            for (uint32_t f : front)
                EXPECT_EQ(BSPTree::classify(node, faces[f]), BSPTree::InFront);
            for (uint32_t f : back)
                EXPECT_EQ(BSPTree::classify(node, faces[f]), BSPTree::Behind);
            const bool viewerBehind = BSPTree::classify(node, viewer) == BSPTree::Behind;
            const std::vector<uint32_t> &far = viewerBehind ? front : back;
            const std::vector<uint32_t> &near = viewerBehind ? back : front;
            size_t firstOwn = order.size(), lastOwn = 0;
            for (uint32_t f : node.faces) {
                firstOwn = std::min(firstOwn, position[f]);
                lastOwn = std::max(lastOwn, position[f]);
            }
            for (uint32_t f : far)
                ASSERT_LT(position[f], firstOwn);
            for (uint32_t f : near)
                ASSERT_GT(position[f], lastOwn);
        }
    }
}

} // namespace
