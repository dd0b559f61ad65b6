#include "cubicsurface.h"

namespace Model {
namespace Geometry {

namespace {

struct MaterialPolicy
{
    static const bool SameMaterialHides = true;
    const CellGrid &grid;
    const ColorMap &colors;

    ColorMap::Visibility visibility(size_t i) const
    {
        const uint32_t m = grid.visibleMaterial(i);
        return m ? colors.visibility(m) : ColorMap::Invisible;
    }
    const float *color(size_t i) const { return colors.color(grid.cells[i].material); }
    uint32_t material(size_t i) const { return grid.cells[i].material; }
    bool hidesOpaque(size_t n) const
    {
        const uint32_t m = grid.visibleMaterial(n);
        return m && colors.visibility(m) == ColorMap::Opaque;
    }
    // A cut neighbour is empty even when it holds the same material: the
    // translucent body must stay closed along a cut.
    bool hidesTranslucent(size_t self, size_t n) const
    {
        const uint32_t m = grid.visibleMaterial(n);
        return m && (m == grid.cells[self].material || colors.visibility(m) == ColorMap::Opaque);
    }
};

unsigned slabsOrDefault(unsigned slabCount) { return slabCount ? slabCount : Util::defaultSlabCount(); }

} // namespace

FaceLists CubicSurface::generate(const CellGrid &grid, const ColorMap &colors, unsigned slabCount)
{
    return generateCellFaces(grid, MaterialPolicy{grid, colors}, slabsOrDefault(slabCount));
}

FaceVector CubicSurface::emptyCellFaces(const CellGrid &grid, unsigned slabCount)
{
    FaceVector faces;
    const DrawRange r = grid.range;
    if (r.isEmpty())
        return faces;
    static const float grey[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float cx = grid.cellSizeX, cy = grid.cellSizeY, cz = grid.cellSizeZ;
    const std::vector<FaceVector> slabs = Util::mapSlabs<FaceVector>(
        cellFaceSlabPlan(r, slabsOrDefault(slabCount)), [&](const Util::SlabRange &slab, unsigned) {
            FaceVector out;
            for (unsigned x = slab.first; x < slab.last; ++x)
                for (unsigned y = r.y0; y < r.y1; ++y) {
                    const size_t base = grid.index(x, y, 0);
                    for (unsigned z = r.z0; z < r.z1; ++z)
                        if (grid.visibleMaterial(base + z) == 0)
                            for (unsigned side = 0; side < 6; ++side)
                                out.push_back(QuadFace::cellFace(x, y, z, side, cx, cy, cz, grey, 0));
                }
            return out;
        });
    for (const FaceVector &s : slabs)
        faces.insert(faces.end(), s.begin(), s.end());
    numberFaces(faces);
    return faces;
}

} // namespace Geometry
} // namespace Model
