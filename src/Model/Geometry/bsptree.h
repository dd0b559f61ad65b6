#pragma once

#include "Model/Geometry/quadface.h"
#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Geometry {

// Binary space partition of translucent faces by the faces' own planes, built
// once per surface generation and walked back to front every frame. Faces are
// never split: a face straddling a splitter's plane stops the build. The tree
// refers to faces by their index in the list it was built from; that list
// must stay unchanged as long as the tree is used.
class BSPTree
{
public:
    static constexpr double Epsilon = 1e-05;

    struct Node
    {
        double a = 0, b = 0, c = 0, d = 0; // a*x + b*y + c*z + d = 0 on the plane
        std::vector<uint32_t> faces;       // faces lying in the plane
        int32_t front = -1;                // child node index, -1 when none
        int32_t back = -1;
    };

    enum Side { Behind = -1, OnPlane = 0, InFront = 1, Straddling = 2 };

    // The tree of faces, or an empty pointer when faces is empty or a face
    // straddles another's plane (then *error says "Method not implemented!").
    static boost::shared_ptr<BSPTree> build(const FaceVector &faces, QString *error = nullptr);

    // Replaces order with the indices of all faces, farthest from viewer first.
    void backToFront(const Util::Vector3D &viewer, std::vector<uint32_t> &order) const;
    // The same for a viewer infinitely far away along towardsViewer (a parallel
    // projection): the order depends on the direction only, not on any position.
    void backToFrontAlong(const Util::Vector3D &towardsViewer, std::vector<uint32_t> &order) const;

    // Node 0 is the root.
    const std::vector<Node> &nodes() const { return m_nodes; }
    size_t faceCount() const { return m_faceCount; }

    static Side classify(const Node &plane, const QuadFace &face);
    static Side classify(const Node &plane, const Util::Vector3D &point);

private:
    template <typename ViewerBehind>
    void walk(ViewerBehind viewerBehindOf, std::vector<uint32_t> &order) const;

    std::vector<Node> m_nodes;
    size_t m_faceCount = 0;
};

} // namespace Geometry
} // namespace Model
