#include "Model/ModelExtraction/preprocessing.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <cstdint>
#include <deque>
#include <unordered_map>

namespace Model {
namespace ModelExtraction {

namespace {

std::vector<int> planesFromFlags(const std::vector<char> &flags)
{
    std::vector<int> planes;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            planes.push_back(int(i));
    return planes;
}

// Interval bounds of one axis: 0, the planes, the volume's end.
std::vector<int> boundsOf(const std::vector<int> &planes, unsigned size)
{
    std::vector<int> bounds;
    bounds.reserve(planes.size() + 2);
    bounds.push_back(0);
    for (int p : planes)
        if (p > bounds.back() && p < int(size))
            bounds.push_back(p);
    bounds.push_back(int(size));
    return bounds;
}

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
    const unsigned sx = volume.getSizeX(), sy = volume.getSizeY(), sz = volume.getSizeZ();
    const SplitPlanes planes = findSplitPlanes(lock.cells(), sx, sy, sz);
    BoxList boxes = buildBoxes(lock.cells(), sx, sy, sz, planes);
    linkBoxes(boxes);
    return boxes;
}

// Every pair of neighbouring cells is compared, the outermost layers included,
// so that each box holds one material. Slabs along x only read cells and keep
// flags of their own, merged afterwards, so the planes never depend on the slab count.
Preprocessing::SplitPlanes Preprocessing::findSplitPlanes(const Automaton::Voxel *cells, unsigned sizeX,
                                                          unsigned sizeY, unsigned sizeZ)
{
    struct Flags
    {
        std::vector<char> x, y, z;
    };
    const size_t strideX = size_t(sizeY) * sizeZ, strideY = sizeZ;
    const Util::SlabPlan plan =
        Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);
    const std::vector<Flags> perSlab = Util::mapSlabs<Flags>(plan, [&](const Util::SlabRange &range, unsigned) {
        Flags f{std::vector<char>(sizeX + 1, 0), std::vector<char>(sizeY + 1, 0), std::vector<char>(sizeZ + 1, 0)};
        for (unsigned x = range.first; x < range.last; ++x) {
            for (unsigned y = 0; y < sizeY; ++y) {
                const size_t row = size_t(x) * strideX + size_t(y) * strideY;
                for (unsigned z = 0; z < sizeZ; ++z) {
                    const size_t i = row + z;
                    const uint32_t m = cells[i].material;
                    if (z + 1 < sizeZ && cells[i + 1].material != m)
                        f.z[z + 1] = 1;
                    if (y + 1 < sizeY && cells[i + strideY].material != m)
                        f.y[y + 1] = 1;
                    if (x + 1 < sizeX && cells[i + strideX].material != m)
                        f.x[x + 1] = 1;
                }
            }
        }
        return f;
    });
    Flags all{std::vector<char>(sizeX + 1, 0), std::vector<char>(sizeY + 1, 0), std::vector<char>(sizeZ + 1, 0)};
    for (const Flags &f : perSlab) {
        for (size_t i = 0; i < all.x.size(); ++i)
            all.x[i] |= f.x[i];
        for (size_t i = 0; i < all.y.size(); ++i)
            all.y[i] |= f.y[i];
        for (size_t i = 0; i < all.z.size(); ++i)
            all.z[i] |= f.z[i];
    }
    SplitPlanes planes;
    planes.x = planesFromFlags(all.x);
    planes.y = planesFromFlags(all.y);
    planes.z = planesFromFlags(all.z);
    return planes;
}

BoxList Preprocessing::buildBoxes(const Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY,
                                  unsigned sizeZ, const SplitPlanes &planes)
{
    BoxList boxes;
    if (sizeX == 0 || sizeY == 0 || sizeZ == 0)
        return boxes;
    const std::vector<int> bx = boundsOf(planes.x, sizeX), by = boundsOf(planes.y, sizeY),
                           bz = boundsOf(planes.z, sizeZ);
    const size_t nx = bx.size() - 1, ny = by.size() - 1, nz = bz.size() - 1;
    // A box starts only at a crossing of split planes, so the queue holds
    // interval indices and each crossing enters it once.
    std::vector<char> queued(nx * ny * nz, 0);
    struct Start { size_t i, j, k; };
    std::deque<Start> queue;
    queue.push_back({0, 0, 0});
    queued[0] = 1;
    auto enqueue = [&](size_t i, size_t j, size_t k) {
        if (i >= nx || j >= ny || k >= nz)
            return;
        char &flag = queued[(i * ny + j) * nz + k];
        if (!flag) {
            flag = 1;
            queue.push_back({i, j, k});
        }
    };
    while (!queue.empty()) {
        const Start s = queue.front();
        queue.pop_front();
        const int x = bx[s.i], y = by[s.j], z = bz[s.k];
        const uint32_t material = cells[(size_t(x) * sizeY + y) * sizeZ + z].material;
        if (material != 0)
            boxes.push_back(BoxPtr(new RectangularCuboidEnvelope(
                x, y, z, bx[s.i + 1] - x, by[s.j + 1] - y, bz[s.k + 1] - z, material)));
        enqueue(s.i + 1, s.j, s.k);
        enqueue(s.i, s.j + 1, s.k);
        enqueue(s.i, s.j, s.k + 1);
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
