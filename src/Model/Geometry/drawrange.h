#pragma once

#include <algorithm>

namespace Model {
namespace Geometry {

// The cells a painter turns into geometry: lower corner inclusive, upper exclusive.
struct DrawRange
{
    unsigned x0 = 0, y0 = 0, z0 = 0;
    unsigned x1 = 0, y1 = 0, z1 = 0;
    bool isEmpty() const { return x0 >= x1 || y0 >= y1 || z0 >= z1; }
    bool operator==(const DrawRange &o) const
    {
        return x0 == o.x0 && y0 == o.y0 && z0 == o.z0 && x1 == o.x1 && y1 == o.y1 && z1 == o.z1;
    }
    bool operator!=(const DrawRange &o) const { return !(*this == o); }
    // The part of this range inside a volume of the given size.
    DrawRange clampedTo(unsigned sizeX, unsigned sizeY, unsigned sizeZ) const
    {
        DrawRange r = *this;
        r.x1 = std::min(r.x1, sizeX);
        r.y1 = std::min(r.y1, sizeY);
        r.z1 = std::min(r.z1, sizeZ);
        return r;
    }
};

} // namespace Geometry
} // namespace Model
