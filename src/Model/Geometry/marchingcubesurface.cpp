#include "marchingcubesurface.h"

#include "Model/Geometry/cellfaces.h"
#include "Model/Geometry/marchingcubetables.h"

#include <array>
#include <cmath>

namespace Model {
namespace Geometry {

namespace {

using Automaton::Triangle;
using Automaton::TriangleVector;

// A vertex position in half-cell units of the sample grid (exact, unlike floats).
struct GridKey
{
    int32_t x, y, z;
    bool operator==(const GridKey &o) const { return x == o.x && y == o.y && z == o.z; }
};

inline GridKey keyOf(const Triangle::Vertex &v, const float inverse[3])
{
    // Positions are (g + 1/2) * cellSize with g on the half grid.
    return {int32_t(std::lround(v.position[0] * inverse[0] * 2.0f - 1.0f)),
            int32_t(std::lround(v.position[1] * inverse[1] * 2.0f - 1.0f)),
            int32_t(std::lround(v.position[2] * inverse[2] * 2.0f - 1.0f))};
}

// Open-addressing table from vertex position to its slot: millions of
// lookups per surface, so no node allocation per entry.
class PositionTable
{
    static const uint32_t Free = 0xFFFFFFFFu;
    struct Entry
    {
        GridKey key;
        uint32_t slot;
    };

public:
    explicit PositionTable(size_t expected)
    {
        size_t capacity = 16;
        while (capacity < expected * 2)
            capacity *= 2;
        reset(capacity);
    }
    // The slot stored for key, or newSlot after storing it.
    uint32_t slotOf(const GridKey &key, uint32_t newSlot)
    {
        Entry &e = find(key);
        if (e.slot != Free)
            return e.slot;
        e.key = key;
        e.slot = newSlot;
        if (++m_count * 2 > m_entries.size())
            grow();
        return newSlot;
    }

private:
    Entry &find(const GridKey &key)
    {
        uint64_t h = uint64_t(uint32_t(key.x)) * 0x9E3779B97F4A7C15ull;
        h ^= uint64_t(uint32_t(key.y)) * 0xC2B2AE3D27D4EB4Full;
        h ^= uint64_t(uint32_t(key.z)) * 0x165667B19E3779F9ull;
        size_t i = size_t(h ^ (h >> 31)) & m_mask;
        while (m_entries[i].slot != Free && !(m_entries[i].key == key))
            i = (i + 1) & m_mask;
        return m_entries[i];
    }
    void reset(size_t capacity)
    {
        m_entries.assign(capacity, Entry{{0, 0, 0}, Free});
        m_mask = capacity - 1;
    }
    // Keeps the load at most one half, so probes stay short and always end.
    void grow()
    {
        std::vector<Entry> old;
        old.swap(m_entries);
        reset(old.size() * 2);
        for (const Entry &e : old)
            if (e.slot != Free)
                find(e.key) = e;
    }

    std::vector<Entry> m_entries;
    size_t m_mask = 0;
    size_t m_count = 0;
};

void normalise(float n[3])
{
    const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len > 0) {
        n[0] /= len;
        n[1] /= len;
        n[2] /= len;
    }
}

const uint8_t *triangleCounts()
{
    static const std::array<uint8_t, 256> counts = [] {
        std::array<uint8_t, 256> c{};
        const int8_t(*tris)[16] = MarchingCubeTables::triangleTable();
        for (int k = 0; k < 256; ++k) {
            int n = 0;
            while (tris[k][n] >= 0)
                ++n;
            c[size_t(k)] = uint8_t(n / 3);
        }
        return c;
    }();
    return counts.data();
}

// Cubes of one slab: lower corners x in [first, last), plus the cube below the
// range (x0 - 1) for the first slab; y and z from one below the range to its
// last cell. Counts the slab's triangles, and with out also writes them there.
size_t cubesOfSlab(const CellGrid &grid, int firstX, int lastX, Triangle *out)
{
    const uint8_t *counts = triangleCounts();
    size_t written = 0;
    const DrawRange &r = grid.range;
    const uint16_t *edgeTable = MarchingCubeTables::edgeTable();
    const int8_t(*triTable)[16] = MarchingCubeTables::triangleTable();
    const uint8_t(*edgeCorners)[2] = MarchingCubeTables::edgeCorners();
    const uint8_t(*cornerOffsets)[3] = MarchingCubeTables::cornerOffsets();
    const float cs[3] = {grid.cellSizeX, grid.cellSizeY, grid.cellSizeZ};

    auto inX = [&](int x) { return x >= int(r.x0) && x < int(r.x1); };
    auto inY = [&](int y) { return y >= int(r.y0) && y < int(r.y1); };

    for (int x = firstX; x < lastX; ++x) {
        const bool xs[2] = {inX(x), inX(x + 1)};
        if (!xs[0] && !xs[1])
            continue;
        for (int y = int(r.y0) - 1; y < int(r.y1); ++y) {
            const bool ys[2] = {inY(y), inY(y + 1)};
            if (!ys[0] && !ys[1])
                continue;
            // Column index of the four vertical edges in corner order 0..3 (at y+1/y, x/x+1).
            const int colX[4] = {x, x + 1, x + 1, x};
            const int colY[4] = {y + 1, y + 1, y, y};
            const bool colIn[4] = {xs[0] && ys[1], xs[1] && ys[1], xs[1] && ys[0], xs[0] && ys[0]};
            size_t colBase[4];
            for (int k = 0; k < 4; ++k)
                colBase[k] = colIn[k] ? grid.index(unsigned(colX[k]), unsigned(colY[k]), 0) : 0;
            auto sample = [&](int k, int z) -> uint32_t {
                if (!colIn[k] || z < int(r.z0) || z >= int(r.z1))
                    return 0;
                return grid.visibleMaterial(colBase[k] + size_t(z));
            };

            uint32_t low[4] = {0, 0, 0, 0}; // the bottom layer z0 - 1 is outside the range
            for (int z = int(r.z0) - 1; z < int(r.z1); ++z) {
                uint32_t m[8];
                for (int k = 0; k < 4; ++k) {
                    m[k] = low[k];
                    m[k + 4] = sample(k, z + 1);
                    low[k] = m[k + 4];
                }
                unsigned cube = 0;
                for (int k = 0; k < 8; ++k)
                    cube |= (m[k] != 0 ? 1u : 0u) << k;
                if (cube == 0 || cube == 255)
                    continue;
                if (!out) {
                    written += counts[cube];
                    continue;
                }

                Triangle::Vertex vertex[12];
                const uint16_t cut = edgeTable[cube];
                for (int e = 0; e < 12; ++e) {
                    if (!(cut & (1u << e)))
                        continue;
                    const uint8_t a = edgeCorners[e][0], b = edgeCorners[e][1];
                    const int g[3] = {x, y, z};
                    for (int i = 0; i < 3; ++i)
                        vertex[e].position[i] =
                            (float(g[i]) + 0.5f + 0.5f * float(cornerOffsets[a][i] + cornerOffsets[b][i])) * cs[i];
                    vertex[e].material = m[a] ? m[a] : m[b];
                }
                for (const int8_t *t = triTable[cube]; *t >= 0; t += 3) {
                    Triangle tri;
                    for (int i = 0; i < 3; ++i)
                        tri.vertices[i] = vertex[t[i]];
                    const float *p0 = tri.vertices[0].position, *p1 = tri.vertices[1].position,
                                *p2 = tri.vertices[2].position;
                    const float u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
                    const float v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
                    float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
                    normalise(n);
                    for (int i = 0; i < 3; ++i)
                        std::copy(n, n + 3, tri.vertices[i].normal);
                    out[written++] = tri;
                }
            }
        }
    }
    return written;
}

} // namespace

void MarchingCubeSurface::generate(const CellGrid &grid, unsigned slabCount)
{
    m_triangles.clear();
    if (grid.range.isEmpty())
        return;
    const DrawRange &r = grid.range;
    const Util::SlabPlan plan = cellFaceSlabPlan(r, slabCount ? slabCount : Util::defaultSlabCount());
    // Count first, then let every slab write its part of one list: no
    // per-slab copies, and the order is the slab order whatever the scheduling.
    auto firstCube = [&r](const Util::SlabRange &slab) {
        return slab.first == r.x0 ? int(slab.first) - 1 : int(slab.first);
    };
    const std::vector<size_t> counts = Util::mapSlabs<size_t>(plan, [&](const Util::SlabRange &slab, unsigned) {
        return cubesOfSlab(grid, firstCube(slab), int(slab.last), nullptr);
    });
    std::vector<size_t> offsets(counts.size() + 1, 0);
    for (size_t i = 0; i < counts.size(); ++i)
        offsets[i + 1] = offsets[i] + counts[i];
    const size_t total = offsets.back();
    m_triangles.resize(total);
    Triangle *data = m_triangles.data();
    Util::runSlabs(plan, [&](const Util::SlabRange &slab, unsigned i) {
        cubesOfSlab(grid, firstCube(slab), int(slab.last), data + offsets[i]);
    });

    // Smooth shading: every vertex gets the normalised sum of the face normals
    // of all triangles sharing its grid position, summed in list order.
    const float inverse[3] = {1.0f / grid.cellSizeX, 1.0f / grid.cellSizeY, 1.0f / grid.cellSizeZ};
    PositionTable table(total / 2);
    std::vector<uint32_t> slotOf(total * 3);
    std::vector<std::array<float, 3>> sums;
    sums.reserve(total / 2 + 16);
    for (size_t t = 0; t < total; ++t)
        for (int i = 0; i < 3; ++i) {
            const Triangle::Vertex &v = m_triangles[t].vertices[i];
            const uint32_t slot = table.slotOf(keyOf(v, inverse), uint32_t(sums.size()));
            if (slot == sums.size())
                sums.push_back({0.0f, 0.0f, 0.0f});
            std::array<float, 3> &s = sums[slot];
            s[0] += v.normal[0];
            s[1] += v.normal[1];
            s[2] += v.normal[2];
            slotOf[t * 3 + i] = slot;
        }
    for (std::array<float, 3> &s : sums)
        normalise(s.data());
    for (size_t t = 0; t < total; ++t)
        for (int i = 0; i < 3; ++i)
            std::copy(sums[slotOf[t * 3 + i]].begin(), sums[slotOf[t * 3 + i]].end(),
                      m_triangles[t].vertices[i].normal);
}

} // namespace Geometry
} // namespace Model
