#include "octreesurface.h"

#include <algorithm>

namespace Model {
namespace Geometry {

namespace {

// Side -> (axis bit, upper side?)
inline unsigned axisBit(unsigned side) { return side < 2 ? 4u : side < 4 ? 2u : 1u; }
inline bool towardsUpper(unsigned side) { return side & 1u; }
inline unsigned opposite(unsigned side) { return side ^ 1u; }

// Colour classes of this view (looser than the direct cubic ones).
inline bool isOpaque(float alpha) { return alpha > 0.999f; }
inline bool isVisible(float alpha) { return alpha > 0.001f; }

struct Built
{
    bool leaf;
    uint32_t material;
    int32_t firstChild;
};

class Builder
{
public:
    Builder(const CellGrid &grid, std::vector<OctreeSurface::Node, LargeAllocator<OctreeSurface::Node>> &nodes) : m_grid(grid), m_nodes(nodes) {}

    // Bottom-up: octants outside the range or without cells are empty leaves,
    // and eight leaves of one material become one leaf.
    Built build(unsigned x, unsigned y, unsigned z, unsigned edge)
    {
        const DrawRange &r = m_grid.range;
        if (x >= r.x1 || y >= r.y1 || z >= r.z1)
            return {true, 0, -1};
        if (edge == 1)
            return {true, m_grid.visibleMaterial(m_grid.index(x, y, z)), -1};
        const unsigned half = edge / 2;
        Built child[8];
        bool uniform = true;
        if (edge == 2) {
            // The last level reads its eight cells directly.
            for (unsigned c = 0; c < 8; ++c) {
                const unsigned cx = x + (c & 1), cy = y + ((c >> 1) & 1), cz = z + ((c >> 2) & 1);
                const uint32_t m =
                    cx < r.x1 && cy < r.y1 && cz < r.z1 ? m_grid.visibleMaterial(m_grid.index(cx, cy, cz)) : 0u;
                child[c] = {true, m, -1};
                uniform = uniform && m == child[0].material;
            }
        } else {
            for (unsigned c = 0; c < 8; ++c) {
                child[c] = build(x + ((c & 1) ? half : 0), y + ((c & 2) ? half : 0), z + ((c & 4) ? half : 0), half);
                uniform = uniform && child[c].leaf && child[c].material == child[0].material;
            }
        }
        if (uniform)
            return {true, child[0].material, -1};
        const int32_t first = int32_t(m_nodes.size());
        m_nodes.resize(m_nodes.size() + 8);
        for (unsigned c = 0; c < 8; ++c) {
            OctreeSurface::Node &n = m_nodes[size_t(first) + c];
            n.material = child[c].material;
            n.firstChild = child[c].leaf ? -1 : child[c].firstChild;
        }
        return {false, 0, first};
    }

private:
    const CellGrid &m_grid;
    std::vector<OctreeSurface::Node, LargeAllocator<OctreeSurface::Node>> &m_nodes;
};

} // namespace

void OctreeSurface::clear()
{
    m_nodes.clear();
    m_faces = FaceLists();
}

int32_t OctreeSurface::neighbour(int32_t node, unsigned side) const
{
    const Node &n = m_nodes[size_t(node)];
    if (n.parent < 0)
        return -1;
    const unsigned bit = axisBit(side);
    const bool upper = (n.childIndex & bit) != 0;
    const Node &parent = m_nodes[size_t(n.parent)];
    // The sibling across the parent's middle plane.
    if (upper != towardsUpper(side))
        return parent.firstChild + int32_t(n.childIndex ^ bit);
    const int32_t across = neighbour(n.parent, side);
    if (across < 0 || m_nodes[size_t(across)].isLeaf())
        return across;
    return m_nodes[size_t(across)].firstChild + int32_t(n.childIndex ^ bit);
}

void OctreeSurface::generate(const CellGrid &grid, const ColorMap &colors)
{
    clear();
    const DrawRange &r = grid.range;
    if (r.isEmpty())
        return;
    const unsigned extent = std::max({r.x1 - r.x0, r.y1 - r.y0, r.z1 - r.z0});
    unsigned rootEdge = 1;
    while (rootEdge < extent)
        rootEdge *= 2;

    m_nodes.emplace_back();
    Builder builder(grid, m_nodes);
    const Built root = builder.build(r.x0, r.y0, r.z0, rootEdge);
    m_nodes[0].material = root.material;
    m_nodes[0].firstChild = root.leaf ? -1 : root.firstChild;
    m_nodes[0].edge = rootEdge;
    m_nodes[0].x = r.x0;
    m_nodes[0].y = r.y0;
    m_nodes[0].z = r.z0;

    // Leaves in depth-first child order: parent links, corners and sizes on the way down.
    std::vector<int32_t> leaves, stack{0};
    while (!stack.empty()) {
        const int32_t i = stack.back();
        stack.pop_back();
        const Node n = m_nodes[size_t(i)];
        if (n.isLeaf()) {
            leaves.push_back(i);
            continue;
        }
        const uint32_t half = n.edge / 2;
        for (int c = 7; c >= 0; --c) {
            Node &child = m_nodes[size_t(n.firstChild + c)];
            child.parent = i;
            child.childIndex = uint8_t(c);
            child.edge = half;
            child.x = n.x + ((c & 1) ? half : 0);
            child.y = n.y + ((c & 2) ? half : 0);
            child.z = n.z + ((c & 4) ? half : 0);
            stack.push_back(n.firstChild + c);
        }
    }

    const float cx = grid.cellSizeX, cy = grid.cellSizeY, cz = grid.cellSizeZ;
    auto alphaOf = [&](uint32_t material) { return colors.color(material)[3]; };
    // Emits the face of visible leaf `owner` towards side `side`, over the
    // square of edge `edge` at (x, y, z) (cells) lying on the owner's side.
    auto emit = [&](uint32_t material, unsigned x, unsigned y, unsigned z, unsigned edge, unsigned side) {
        const float *color = colors.color(material);
        FaceVector &out = isOpaque(color[3]) ? m_faces.opaque : m_faces.translucent;
        out.push_back(QuadFace::blockFace(x, y, z, edge, side, cx, cy, cz, color, material));
    };
    // Does a leaf of `material` show a face to a looking leaf?
    auto shows = [&](uint32_t material, bool lookerEmpty) {
        const float a = alphaOf(material);
        return material != 0 && (isOpaque(a) || (lookerEmpty && isVisible(a)));
    };

    const Node &rootNode = m_nodes[0];
    auto atRootBoundary = [&rootNode](const Node &n, unsigned side) {
        const uint32_t lo[3] = {rootNode.z, rootNode.y, rootNode.x}; // by side / 2
        const uint32_t at[3] = {n.z, n.y, n.x};
        const unsigned axis = side / 2;
        return towardsUpper(side) ? at[axis] + n.edge == lo[axis] + rootNode.edge : at[axis] == lo[axis];
    };
    std::vector<int32_t> touching;
    for (const int32_t li : leaves) {
        const Node &leaf = m_nodes[size_t(li)];
        const bool empty = leaf.material == 0 || !isVisible(alphaOf(leaf.material));
        if (!empty && isOpaque(alphaOf(leaf.material))) {
            // Opaque leaves look at nothing, but the root's outside looks at them.
            for (unsigned side = 0; side < 6; ++side)
                if (atRootBoundary(leaf, side))
                    emit(leaf.material, leaf.x, leaf.y, leaf.z, leaf.edge, side);
            continue;
        }
        for (unsigned side = 0; side < 6; ++side) {
            const int32_t ni = neighbour(li, side);
            if (ni < 0) {
                if (!empty && shows(leaf.material, true))
                    emit(leaf.material, leaf.x, leaf.y, leaf.z, leaf.edge, side);
                continue;
            }
            const unsigned facing = opposite(side);
            const Node &nb = m_nodes[size_t(ni)];
            if (nb.isLeaf()) {
                if (!shows(nb.material, empty))
                    continue;
                // A larger neighbour shows only the part touching this leaf.
                const unsigned e = leaf.edge;
                const unsigned bit = axisBit(side);
                const unsigned step = towardsUpper(side) ? e : 0u - e;
                emit(nb.material, leaf.x + (bit == 1 ? step : 0), leaf.y + (bit == 2 ? step : 0),
                     leaf.z + (bit == 4 ? step : 0), e, facing);
                continue;
            }
            // A subdivided neighbour of equal size: its leaves on the facing side.
            touching.assign(1, ni);
            const unsigned bit = axisBit(side);
            const unsigned want = towardsUpper(side) ? 0u : bit; // children on the side facing us
            while (!touching.empty()) {
                const int32_t ti = touching.back();
                touching.pop_back();
                const Node &t = m_nodes[size_t(ti)];
                if (t.isLeaf()) {
                    if (shows(t.material, empty))
                        emit(t.material, t.x, t.y, t.z, t.edge, facing);
                    continue;
                }
                for (int c = 7; c >= 0; --c)
                    if ((unsigned(c) & bit) == want)
                        touching.push_back(t.firstChild + c);
            }
        }
    }
    numberFaces(m_faces.opaque);
    numberFaces(m_faces.translucent);
}

} // namespace Geometry
} // namespace Model
