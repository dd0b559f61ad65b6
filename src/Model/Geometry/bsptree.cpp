#include "bsptree.h"

#include <QtDebug>

#include <algorithm>
#include <array>
#include <deque>
#include <utility>

namespace Model {
namespace Geometry {

namespace {

// Plane distances are compared at single precision, like the face corners.
inline float planeValue(const BSPTree::Node &n, double x, double y, double z)
{
    return float(n.a * x + n.b * y + n.c * z + n.d);
}

} // namespace

BSPTree::Side BSPTree::classify(const Node &plane, const QuadFace &face)
{
    bool front = false, back = false;
    for (const float *p : face.corners) {
        const float s = planeValue(plane, p[0], p[1], p[2]);
        if (s > Epsilon)
            front = true;
        else if (s < -Epsilon)
            back = true;
    }
    if (front && back)
        return Straddling;
    return front ? InFront : back ? Behind : OnPlane;
}

BSPTree::Side BSPTree::classify(const Node &plane, const Util::Vector3D &point)
{
    const float s = planeValue(plane, point.x, point.y, point.z);
    return s > Epsilon ? InFront : s < -Epsilon ? Behind : OnPlane;
}

boost::shared_ptr<BSPTree> BSPTree::build(const FaceVector &faces, QString *error)
{
    boost::shared_ptr<BSPTree> tree;
    if (faces.empty())
        return tree;
    tree.reset(new BSPTree);
    std::vector<Node> &nodes = tree->m_nodes;

    std::vector<uint32_t> current(faces.size());
    for (uint32_t i = 0; i < current.size(); ++i)
        current[i] = i;
    int32_t node = 0;
    nodes.emplace_back();
    std::deque<std::pair<std::vector<uint32_t>, int32_t>> pending;
    std::vector<uint32_t> front, back;

    // Cell faces and their planes are axis-aligned: against such a plane a
    // face's corner values are those of its smallest and largest coordinate
    // on that axis, so two evaluations classify it exactly like four.
    std::vector<std::array<float, 6>> extent(faces.size());
    for (size_t i = 0; i < faces.size(); ++i)
        for (int a = 0; a < 3; ++a) {
            float lo = faces[i].corners[0][a], hi = lo;
            for (int k = 1; k < 4; ++k) {
                lo = std::min(lo, faces[i].corners[k][a]);
                hi = std::max(hi, faces[i].corners[k][a]);
            }
            extent[i][size_t(a)] = lo;
            extent[i][size_t(a) + 3] = hi;
        }

    for (;;) {
        const QuadFace &splitter = faces[current.front()];
        Node &n = nodes[node];
        const float *normal = splitter.normal();
        n.a = normal[0];
        n.b = normal[1];
        n.c = normal[2];
        n.d = -(n.a * splitter.corners[0][0] + n.b * splitter.corners[0][1] + n.c * splitter.corners[0][2]);
        n.faces.push_back(current.front());
        front.clear();
        back.clear();
        int axis = -1;
        const double coefficient[3] = {n.a, n.b, n.c};
        if ((n.a != 0) + (n.b != 0) + (n.c != 0) == 1)
            axis = n.a != 0 ? 0 : n.b != 0 ? 1 : 2;
        for (size_t k = 1; k < current.size(); ++k) {
            const uint32_t f = current[k];
            Side side;
            if (axis >= 0) {
                const float s0 = float(coefficient[axis] * extent[f][size_t(axis)] + n.d);
                const float s1 = float(coefficient[axis] * extent[f][size_t(axis) + 3] + n.d);
                const bool isFront = s0 > Epsilon || s1 > Epsilon;
                const bool isBack = s0 < -Epsilon || s1 < -Epsilon;
                side = isFront && isBack ? Straddling : isFront ? InFront : isBack ? Behind : OnPlane;
            } else {
                side = classify(n, faces[f]);
            }
            switch (side) {
            case OnPlane: n.faces.push_back(f); break;
            case Behind: back.push_back(f); break;
            case InFront: front.push_back(f); break;
            case Straddling:
                qWarning() << "Model/Geometry/bsptree" << Q_FUNC_INFO << "Method not implemented!";
                if (error)
                    *error = QStringLiteral("Method not implemented!");
                return boost::shared_ptr<BSPTree>();
            }
        }
        n.faces.shrink_to_fit();

        if (!front.empty()) {
            if (!back.empty()) {
                const int32_t child = int32_t(nodes.size());
                nodes[node].back = child;
                nodes.emplace_back();
                pending.emplace_back(back, child);
            }
            const int32_t child = int32_t(nodes.size());
            nodes[node].front = child;
            nodes.emplace_back();
            current.swap(front);
            node = child;
        } else if (!back.empty()) {
            const int32_t child = int32_t(nodes.size());
            nodes[node].back = child;
            nodes.emplace_back();
            current.swap(back);
            node = child;
        } else if (!pending.empty()) {
            current.swap(pending.front().first);
            node = pending.front().second;
            pending.pop_front();
        } else {
            break;
        }
    }
    tree->m_faceCount = faces.size();
    return tree;
}

template <typename ViewerBehind>
void BSPTree::walk(ViewerBehind viewerBehindOf, std::vector<uint32_t> &order) const
{
    order.clear();
    order.reserve(m_faceCount);
    if (m_nodes.empty())
        return;
    // (node, visited) pairs: a node is pushed once to open it and once more,
    // below its far child, to emit its own faces after that child.
    struct Entry
    {
        int32_t node;
        bool open;
    };
    std::vector<Entry> stack;
    stack.push_back({0, false});
    while (!stack.empty()) {
        const Entry e = stack.back();
        stack.pop_back();
        const Node &n = m_nodes[e.node];
        const bool viewerBehind = viewerBehindOf(n);
        const int32_t far = viewerBehind ? n.front : n.back;
        const int32_t near = viewerBehind ? n.back : n.front;
        if (e.open) {
            order.insert(order.end(), n.faces.begin(), n.faces.end());
            if (near >= 0)
                stack.push_back({near, false});
            continue;
        }
        stack.push_back({e.node, true});
        if (far >= 0)
            stack.push_back({far, false});
    }
}

void BSPTree::backToFront(const Util::Vector3D &viewer, std::vector<uint32_t> &order) const
{
    walk([&viewer](const Node &n) { return classify(n, viewer) == Behind; }, order);
}

void BSPTree::backToFrontAlong(const Util::Vector3D &towardsViewer, std::vector<uint32_t> &order) const
{
    // A viewer infinitely far along the direction is behind a plane exactly when the
    // direction points against the plane's normal; a plane seen edge-on shows nothing,
    // so either order will do for it.
    walk(
        [&towardsViewer](const Node &n) {
            return n.a * towardsViewer.x + n.b * towardsViewer.y + n.c * towardsViewer.z < -Epsilon;
        },
        order);
}

} // namespace Geometry
} // namespace Model
