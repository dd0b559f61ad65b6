#include "quadface.h"

#include <atomic>
#include <cstring>

namespace Model {
namespace Geometry {

namespace {

const float kNormals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

// Unit-cube corners of each side, counter-clockwise seen from outside.
const unsigned char kCorners[6][4][3] = {
    {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
    {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},
    {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}};

std::atomic<uint64_t> g_serial{0};

} // namespace

const float (*QuadFace::normals())[3] { return kNormals; }

QuadFace QuadFace::cellFace(unsigned x, unsigned y, unsigned z, unsigned side, float cx, float cy, float cz,
                            const float color[4], uint32_t material)
{
    return blockFace(x, y, z, 1, side, cx, cy, cz, color, material);
}

QuadFace QuadFace::blockFace(unsigned x, unsigned y, unsigned z, unsigned edge, unsigned side, float cx, float cy,
                             float cz, const float color[4], uint32_t material)
{
    QuadFace f;
    for (int i = 0; i < 4; ++i) {
        const unsigned char *c = kCorners[side][i];
        f.corners[i][0] = float(x + c[0] * edge) * cx;
        f.corners[i][1] = float(y + c[1] * edge) * cy;
        f.corners[i][2] = float(z + c[2] * edge) * cz;
    }
    for (int i = 0; i < 4; ++i)
        f.fill[i] = f.edge[i] = color[i];
    f.material = material;
    f.side = side;
    f.serial = 0;
    return f;
}

uint64_t QuadFace::takeSerials(uint64_t count) { return g_serial.fetch_add(count, std::memory_order_relaxed); }

bool QuadFace::sameAs(const QuadFace &o) const
{
    return std::memcmp(corners, o.corners, sizeof corners) == 0 && std::memcmp(fill, o.fill, sizeof fill) == 0 &&
           std::memcmp(edge, o.edge, sizeof edge) == 0 && material == o.material && side == o.side;
}

} // namespace Geometry
} // namespace Model
