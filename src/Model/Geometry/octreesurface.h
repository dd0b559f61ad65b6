#pragma once

#include "Model/Geometry/cellfaces.h"

#include <vector>

namespace Model {
namespace Geometry {

// Octree surface: the draw range's uncut non-empty cells in an octree whose
// uniform octants are merged, and one face per boundary between a looking
// leaf (empty, or not opaque) and a visible neighbour leaf, as large as the
// smaller of the two leaves. Runs on the calling thread.
class OctreeSurface
{
public:
    struct Node
    {
        uint32_t material = 0;
        int32_t parent = -1;
        int32_t firstChild = -1; // children are 8 consecutive nodes; -1 for a leaf
        uint32_t edge = 1;       // in cells
        uint32_t x = 0, y = 0, z = 0; // lower corner in volume cells
        uint8_t childIndex = 0;  // bit 0: upper half in x, bit 1: in y, bit 2: in z
        bool isLeaf() const { return firstChild < 0; }
    };

    void generate(const CellGrid &grid, const ColorMap &colors);
    void clear();

    const FaceVector &opaqueFaces() const { return m_faces.opaque; }
    const FaceVector &translucentFaces() const { return m_faces.translucent; }
    FaceVector &opaqueFaces() { return m_faces.opaque; }
    FaceVector &translucentFaces() { return m_faces.translucent; }
    // Node 0 is the root; empty when the range was empty.
    const std::vector<Node, LargeAllocator<Node>> &nodes() const { return m_nodes; }

    // The leaf or the smallest node at least as large as `node` across side
    // (QuadFace::Side numbering), or -1 outside the root.
    int32_t neighbour(int32_t node, unsigned side) const;

private:
    std::vector<Node, LargeAllocator<Node>> m_nodes;
    FaceLists m_faces;
};

} // namespace Geometry
} // namespace Model
