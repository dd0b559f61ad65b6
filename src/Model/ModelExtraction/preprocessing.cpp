#include "Model/ModelExtraction/preprocessing.h"

#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <algorithm>
#include <unordered_map>

namespace Model {
namespace ModelExtraction {

namespace {

// A face: the plane it lies in and its rectangle in the two other axes.
struct FaceKey
{
    int plane, originB, originC, extentB, extentC;
    bool operator==(const FaceKey &o) const
    {
        return plane == o.plane && originB == o.originB && originC == o.originC &&
               extentB == o.extentB && extentC == o.extentC;
    }
};

struct FaceKeyHash
{
    size_t operator()(const FaceKey &k) const
    {
        uint64_t h = 1469598103934665603ull;
        for (int v : {k.plane, k.originB, k.originC, k.extentB, k.extentC}) {
            h ^= uint32_t(v);
            h *= 1099511628211ull;
            h ^= h >> 29;
        }
        return size_t(h);
    }
};

FaceKey faceKey(const RectangularCuboidEnvelope &box, int axis, bool upper)
{
    const int b = (axis + 1) % 3, c = (axis + 2) % 3;
    return {box.origin(axis) + (upper ? box.extent(axis) : 0), box.origin(b), box.origin(c),
            box.extent(b), box.extent(c)};
}

void link(RectangularCuboidEnvelope &lower, RectangularCuboidEnvelope &upper, int axis)
{
    lower.setLink(2 * axis + 1, &upper);
    upper.setLink(2 * axis, &lower);
}

} // namespace

BoxList Preprocessing::run(Automaton::TotalVolume &volume)
{
    Automaton::CellLock lock(volume);
    BoxList boxes = buildBoxes(lock.cells(), volume.getSizeX(), volume.getSizeY(), volume.getSizeZ());
    linkBoxes(boxes);
    return boxes;
}

namespace {

struct Body
{
    uint32_t material = 0;
    int lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    std::vector<int> planes[3]; // where the body begins or ends inside its bounds
    std::vector<uint32_t> touching;
};

void sortUnique(std::vector<int> &v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

} // namespace

BoxList Preprocessing::buildBoxes(const Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY, unsigned sizeZ)
{
    BoxList boxes;
    const size_t count = size_t(sizeX) * sizeY * sizeZ;
    if (count == 0)
        return boxes;
    const size_t stride[3] = {size_t(sizeY) * sizeZ, sizeZ, 1};
    const unsigned size[3] = {sizeX, sizeY, sizeZ};
    auto coordinates = [&](size_t i, int c[3]) {
        c[0] = int(i / stride[0]);
        c[1] = int(i % stride[0] / sizeZ);
        c[2] = int(i % sizeZ);
    };

    // Bodies: face-connected cells of one material, numbered from 1 in the order of their first cell.
    std::vector<uint32_t> label(count, 0);
    std::vector<Body> bodies(1);
    std::vector<size_t> stack;
    for (size_t start = 0; start < count; ++start) {
        const uint32_t material = cells[start].material;
        if (material == 0 || label[start] != 0)
            continue;
        const uint32_t id = uint32_t(bodies.size());
        bodies.emplace_back();
        Body &body = bodies.back();
        body.material = material;
        coordinates(start, body.lo);
        for (int a = 0; a < 3; ++a)
            body.hi[a] = body.lo[a] + 1;
        label[start] = id;
        stack.assign(1, start);
        while (!stack.empty()) {
            const size_t i = stack.back();
            stack.pop_back();
            int c[3];
            coordinates(i, c);
            for (int a = 0; a < 3; ++a) {
                body.lo[a] = std::min(body.lo[a], c[a]);
                body.hi[a] = std::max(body.hi[a], c[a] + 1);
                if (c[a] > 0 && label[i - stride[a]] == 0 && cells[i - stride[a]].material == material) {
                    label[i - stride[a]] = id;
                    stack.push_back(i - stride[a]);
                }
                if (unsigned(c[a]) + 1 < size[a] && label[i + stride[a]] == 0 && cells[i + stride[a]].material == material) {
                    label[i + stride[a]] = id;
                    stack.push_back(i + stride[a]);
                }
            }
        }
    }

    // Each body's own planes, and which bodies touch it.
    size_t i = 0;
    for (unsigned x = 0; x < sizeX; ++x)
        for (unsigned y = 0; y < sizeY; ++y)
            for (unsigned z = 0; z < sizeZ; ++z, ++i) {
                const uint32_t here = label[i];
                const unsigned c[3] = {x, y, z};
                for (int a = 0; a < 3; ++a) {
                    if (c[a] + 1 >= size[a])
                        continue;
                    const uint32_t there = label[i + stride[a]];
                    if (here == there)
                        continue;
                    if (here != 0)
                        bodies[here].planes[a].push_back(int(c[a]) + 1);
                    if (there != 0)
                        bodies[there].planes[a].push_back(int(c[a]) + 1);
                    if (here != 0 && there != 0) {
                        bodies[here].touching.push_back(there);
                        bodies[there].touching.push_back(here);
                    }
                }
            }
    for (Body &body : bodies) {
        for (std::vector<int> &planes : body.planes)
            sortUnique(planes);
        std::sort(body.touching.begin(), body.touching.end());
        body.touching.erase(std::unique(body.touching.begin(), body.touching.end()), body.touching.end());
    }

    // A body's grid: its bounds, its own planes and those of the bodies it
    // touches, so that its faces meet theirs whole. Each block of the grid
    // lies wholly inside or outside the body.
    for (uint32_t id = 1; id < bodies.size(); ++id) {
        const Body &body = bodies[id];
        std::vector<int> bounds[3];
        for (int a = 0; a < 3; ++a) {
            std::vector<int> &b = bounds[a];
            b = body.planes[a];
            for (uint32_t other : body.touching)
                b.insert(b.end(), bodies[other].planes[a].begin(), bodies[other].planes[a].end());
            b.push_back(body.lo[a]);
            b.push_back(body.hi[a]);
            sortUnique(b);
            b.erase(std::remove_if(b.begin(), b.end(), [&](int p) { return p < body.lo[a] || p > body.hi[a]; }),
                    b.end());
        }
        for (size_t i = 0; i + 1 < bounds[0].size(); ++i)
            for (size_t j = 0; j + 1 < bounds[1].size(); ++j)
                for (size_t k = 0; k + 1 < bounds[2].size(); ++k) {
                    const int x = bounds[0][i], y = bounds[1][j], z = bounds[2][k];
                    if (label[size_t(x) * stride[0] + size_t(y) * stride[1] + size_t(z)] != id)
                        continue;
                    boxes.push_back(BoxPtr(new RectangularCuboidEnvelope(x, y, z, bounds[0][i + 1] - x,
                                                                         bounds[1][j + 1] - y,
                                                                         bounds[2][k + 1] - z, body.material)));
                }
    }
    return boxes;
}

void Preprocessing::linkBoxes(const BoxList &boxes)
{
    std::unordered_map<FaceKey, RectangularCuboidEnvelope *, FaceKeyHash> upperFaces;
    upperFaces.reserve(boxes.size());
    for (int axis = 0; axis < 3; ++axis) {
        upperFaces.clear();
        for (const BoxPtr &box : boxes)
            upperFaces.emplace(faceKey(*box, axis, true), box.get());
        for (const BoxPtr &box : boxes) {
            auto it = upperFaces.find(faceKey(*box, axis, false));
            if (it != upperFaces.end())
                link(*it->second, *box, axis);
        }
    }
}

void Preprocessing::linkBoxesPairwise(const BoxList &boxes)
{
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            RectangularCuboidEnvelope &a = *boxes[i], &b = *boxes[j];
            for (int axis = 0; axis < 3; ++axis) {
                if (faceKey(a, axis, true) == faceKey(b, axis, false))
                    link(a, b, axis);
                if (faceKey(b, axis, true) == faceKey(a, axis, false))
                    link(b, a, axis);
            }
        }
    }
}

} // namespace ModelExtraction
} // namespace Model
