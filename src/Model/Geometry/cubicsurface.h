#pragma once

#include "Model/Geometry/cellfaces.h"

namespace Model {
namespace Geometry {

// Direct cubic surface: one quad per cell face between differently visible
// cells, opaque and translucent faces apart. Empty, cut and invisible cells
// yield no faces.
class CubicSurface
{
public:
    // slabCount 0 means the global pool's maximum thread count.
    static FaceLists generate(const CellGrid &grid, const ColorMap &colors, unsigned slabCount = 0);

    // All six faces of every empty (or cut) cell of the range, in light grey.
    static FaceVector emptyCellFaces(const CellGrid &grid, unsigned slabCount = 0);
};

} // namespace Geometry
} // namespace Model
