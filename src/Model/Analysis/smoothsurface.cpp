#include "smoothsurface.h"

#include "Model/Automaton/voxel.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Model {
namespace Analysis {

namespace {

// The filter (1, 3, 1) / 5 along each axis: smoothed samples are whole
// numbers 0..125 (125 times the filtered indicator). 125 is odd, so the
// level, half of it, is never a sample value; and on a flat face the
// samples either side are 100 and 25, so the level lies exactly on it.
// (The binomial (1, 2, 1) / 4 rounds corners more and loses more volume;
// (1, 5, 1) / 7 leaves more of the staircase: tests/Model/Analysis.)
const int Centre = 3;
const int Total = (Centre + 2) * (Centre + 2) * (Centre + 2);
const double Level = Total / 2.0;

// The bounding box of the material's cells; false when there is none.
bool boundsOf(const SurfaceGrid &grid, uint32_t material, unsigned low[3], unsigned high[3])
{
    const unsigned sx = grid.size[0], sy = grid.size[1], sz = grid.size[2];
    bool any = false;
    for (int a = 0; a < 3; ++a) {
        low[a] = grid.size[a];
        high[a] = 0;
    }
    size_t i = 0;
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z, ++i)
                if (grid.cells[i].material == material) {
                    any = true;
                    low[0] = std::min(low[0], x);
                    low[1] = std::min(low[1], y);
                    low[2] = std::min(low[2], z);
                    high[0] = std::max(high[0], x + 1);
                    high[1] = std::max(high[1], y + 1);
                    high[2] = std::max(high[2], z + 1);
                }
    return any;
}

// The six tetrahedra of a cube, each the path 000 -> 111 through one order
// of the axes; corners numbered x + 2 y + 4 z.
const int Tetrahedra[6][4] = {{0, 1, 3, 7}, {0, 1, 5, 7}, {0, 2, 3, 7}, {0, 2, 6, 7}, {0, 4, 5, 7}, {0, 4, 6, 7}};

struct Sample
{
    long index[3]; // sample grid index (cell index; -1 and size are outside)
    double value;
};

} // namespace

uint64_t smoothSurface(const SurfaceGrid &grid, uint32_t material,
                       const std::function<void(const SurfaceTriangle &)> &out)
{
    unsigned low[3], high[3];
    if (!grid.cells || !boundsOf(grid, material, low, high))
        return 0;
    const unsigned sx = grid.size[0], sy = grid.size[1], sz = grid.size[2];
    // Samples from one below to one above the material's box (the filter
    // reaches one sample): the surface closes within them.
    const long first[3] = {long(low[0]) - 1, long(low[1]) - 1, long(low[2]) - 1};
    const long count[3] = {long(high[0] - low[0]) + 2, long(high[1] - low[1]) + 2, long(high[2] - low[2]) + 2};
    const size_t plane = size_t(count[1]) * size_t(count[2]);

    auto inside = [&](long x, long y, long z) -> int {
        if (x < 0 || y < 0 || z < 0 || x >= long(sx) || y >= long(sy) || z >= long(sz))
            return 0;
        return grid.cells[(size_t(x) * sy + size_t(y)) * sz + size_t(z)].material == material ? 1 : 0;
    };
    // The smoothed samples of the plane x: 64 times the filtered indicator.
    std::vector<int> raw(plane), along(plane), planeA(plane), planeB(plane);
    auto fill = [&](long x, std::vector<int> &result) {
        // Sum over x with weights 1, 2, 1, then along y, then along z.
        for (long j = 0; j < count[1]; ++j)
            for (long k = 0; k < count[2]; ++k) {
                const long y = first[1] + j, z = first[2] + k;
                along[size_t(j) * size_t(count[2]) + size_t(k)] =
                    inside(x - 1, y, z) + Centre * inside(x, y, z) + inside(x + 1, y, z);
            }
        auto at = [&](long j, long k) {
            return (j < 0 || k < 0 || j >= count[1] || k >= count[2]) ? 0
                                                                    : along[size_t(j) * size_t(count[2]) + size_t(k)];
        };
        std::vector<int> &mid = raw;
        for (long j = 0; j < count[1]; ++j)
            for (long k = 0; k < count[2]; ++k)
                mid[size_t(j) * size_t(count[2]) + size_t(k)] = at(j - 1, k) + Centre * at(j, k) + at(j + 1, k);
        for (long j = 0; j < count[1]; ++j)
            for (long k = 0; k < count[2]; ++k) {
                const size_t c = size_t(j) * size_t(count[2]) + size_t(k);
                result[c] = (k > 0 ? mid[c - 1] : 0) + Centre * mid[c] + (k + 1 < count[2] ? mid[c + 1] : 0);
            }
    };

    // The position of a sample point: the centre of its cell.
    auto position = [&](const long index[3], double p[3]) {
        for (int a = 0; a < 3; ++a)
            p[a] = grid.origin[a] + (double(index[a]) + 0.5) * grid.cellSize[a];
    };
    // The surface's corner on the edge between two samples, computed from the
    // lower sample of the pair so both tetrahedra sharing it get the same bits.
    auto crossing = [&](const Sample &p, const Sample &q, float corner[3]) {
        const bool pFirst = std::lexicographical_compare(p.index, p.index + 3, q.index, q.index + 3);
        const Sample &a = pFirst ? p : q, &b = pFirst ? q : p;
        const double t = (Level - a.value) / (b.value - a.value);
        double pa[3], pb[3];
        position(a.index, pa);
        position(b.index, pb);
        for (int c = 0; c < 3; ++c)
            corner[c] = float(pa[c] + t * (pb[c] - pa[c]));
    };
    uint64_t triangles = 0;
    auto emit = [&](float a[3], float b[3], float c[3], const double towardsOutside[3]) {
        SurfaceTriangle triangle;
        double n[3];
        const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
        const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
        n[0] = u[1] * v[2] - u[2] * v[1];
        n[1] = u[2] * v[0] - u[0] * v[2];
        n[2] = u[0] * v[1] - u[1] * v[0];
        const bool flip = n[0] * towardsOutside[0] + n[1] * towardsOutside[1] + n[2] * towardsOutside[2] < 0;
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int k = 0; k < 3; ++k) {
            triangle.normal[k] = length > 0 ? float((flip ? -n[k] : n[k]) / length) : 0.0f;
            triangle.corner[0][k] = a[k];
            triangle.corner[1][k] = flip ? c[k] : b[k];
            triangle.corner[2][k] = flip ? b[k] : c[k];
        }
        out(triangle);
        ++triangles;
    };

    fill(first[0], planeA);
    for (long i = 0; i + 1 < count[0]; ++i) {
        fill(first[0] + i + 1, planeB);
        for (long j = 0; j + 1 < count[1]; ++j)
            for (long k = 0; k + 1 < count[2]; ++k) {
                Sample corners[8];
                int above = 0;
                for (int c = 0; c < 8; ++c) {
                    const long dx = c & 1, dy = (c >> 1) & 1, dz = (c >> 2) & 1;
                    const std::vector<int> &values = dx ? planeB : planeA;
                    corners[c].index[0] = first[0] + i + dx;
                    corners[c].index[1] = first[1] + j + dy;
                    corners[c].index[2] = first[2] + k + dz;
                    corners[c].value = values[size_t(j + dy) * size_t(count[2]) + size_t(k + dz)];
                    above += corners[c].value > Level;
                }
                if (above == 0 || above == 8)
                    continue;
                for (const int *tetrahedron : Tetrahedra) {
                    const Sample *in[4], *outside[4];
                    int ni = 0, no = 0;
                    for (int v = 0; v < 4; ++v) {
                        const Sample &s = corners[tetrahedron[v]];
                        if (s.value > Level)
                            in[ni++] = &s;
                        else
                            outside[no++] = &s;
                    }
                    if (ni == 0 || no == 0)
                        continue;
                    // From the inside corners' centre to the outside corners' centre.
                    double pin[3] = {0, 0, 0}, pout[3] = {0, 0, 0}, p[3];
                    for (int v = 0; v < ni; ++v) {
                        position(in[v]->index, p);
                        for (int c = 0; c < 3; ++c)
                            pin[c] += p[c] / ni;
                    }
                    for (int v = 0; v < no; ++v) {
                        position(outside[v]->index, p);
                        for (int c = 0; c < 3; ++c)
                            pout[c] += p[c] / no;
                    }
                    const double towards[3] = {pout[0] - pin[0], pout[1] - pin[1], pout[2] - pin[2]};
                    float a[3], b[3], c[3], d[3];
                    if (ni == 1 || no == 1) {
                        const Sample *lone = ni == 1 ? in[0] : outside[0];
                        const Sample *const *others = ni == 1 ? outside : in;
                        crossing(*lone, *others[0], a);
                        crossing(*lone, *others[1], b);
                        crossing(*lone, *others[2], c);
                        emit(a, b, c, towards);
                    } else {
                        // The quadrilateral in-out: (0,0) (0,1) (1,1) (1,0).
                        crossing(*in[0], *outside[0], a);
                        crossing(*in[0], *outside[1], b);
                        crossing(*in[1], *outside[1], c);
                        crossing(*in[1], *outside[0], d);
                        emit(a, b, c, towards);
                        emit(a, c, d, towards);
                    }
                }
            }
        planeA.swap(planeB);
    }
    return triangles;
}

} // namespace Analysis
} // namespace Model
