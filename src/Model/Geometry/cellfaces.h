#pragma once

#include "Model/Geometry/cellgrid.h"
#include "Model/Geometry/colormap.h"
#include "Model/Geometry/quadface.h"

#include "Util/slabrunner.h"

#include <vector>

namespace Model {
namespace Geometry {

// Opaque and translucent face lists of one generation.
struct FaceLists
{
    FaceVector opaque;
    FaceVector translucent;
};

// The split every cell-face generator uses: equal slabs of the draw range
// along x, the last one running to the end; the calling thread alone when a
// slab would be thinner than one cell.
inline Util::SlabPlan cellFaceSlabPlan(const DrawRange &range, unsigned slabCount)
{
    return Util::planSlabs(range.x0, range.x1, slabCount, Util::SlabSplit::EqualLastTakesRest, 1);
}

// Numbers the faces in list order from one block of the process-wide counter.
inline void numberFaces(FaceVector &faces)
{
    uint64_t serial = QuadFace::takeSerials(faces.size());
    for (QuadFace &f : faces)
        f.serial = serial++;
}

// The cell-face walk shared by the direct cubic view and the particle-count
// field. Policy supplies, by cell index:
//   ColorMap::Visibility visibility(size_t i)      class of the cell as a face owner
//   const float *color(size_t i)                   its face colour
//   uint32_t material(size_t i)                    its material id
//   bool hidesOpaque(size_t n)                     neighbour n covers an opaque cell's face
//   bool hidesTranslucent(size_t self, size_t n)   neighbour n covers a translucent cell's face
//   static const bool SameMaterialHides             an uncut neighbour of the same material
//                                                  always covers a face
// Empty cells (material 0) never own faces.
// Cells are visited x, then y, then z, faces in side order; slab lists are
// appended in slab order, so the result does not depend on the slab count.
template <class Policy>
FaceLists generateCellFaces(const CellGrid &grid, const Policy &policy, unsigned slabCount)
{
    FaceLists result;
    const DrawRange r = grid.range;
    if (r.isEmpty())
        return result;

    const size_t strideX = size_t(grid.sizeY) * grid.sizeZ;
    const size_t strideY = grid.sizeZ;
    const float cx = grid.cellSizeX, cy = grid.cellSizeY, cz = grid.cellSizeZ;

    auto slabTask = [&](const Util::SlabRange &slab, unsigned) {
        FaceLists lists;
        for (unsigned x = slab.first; x < slab.last; ++x) {
            const bool inXm = x > r.x0, inXp = x + 1 < r.x1;
            for (unsigned y = r.y0; y < r.y1; ++y) {
                const bool inYm = y > r.y0, inYp = y + 1 < r.y1;
                const size_t base = grid.index(x, y, 0);
                const bool innerRow = inXm && inXp && inYm && inYp;
                for (unsigned z = r.z0; z < r.z1; ++z) {
                    const size_t i = base + z;
                    const Automaton::Voxel &cell = grid.cells[i];
                    if (cell.material == 0)
                        continue;
                    // Most filled cells are buried in their own material: settle them
                    // without colour lookups when the policy allows it.
                    if (Policy::SameMaterialHides && innerRow && z > r.z0 && z + 1 < r.z1 && !cell.cutCount) {
                        const Automaton::Voxel *c = grid.cells;
                        const uint32_t m = cell.material;
                        auto same = [c, m](size_t n) { return c[n].material == m && c[n].cutCount == 0; };
                        if (same(i - 1) && same(i + 1) && same(i - strideY) && same(i + strideY) &&
                            same(i - strideX) && same(i + strideX))
                            continue;
                    }
                    const ColorMap::Visibility vis = policy.visibility(i);
                    if (vis == ColorMap::Invisible)
                        continue;
                    // Neighbour per side, or none when it lies outside the range.
                    const bool inRange[6] = {z > r.z0, z + 1 < r.z1, inYm, inYp, inXm, inXp};
                    const size_t neighbour[6] = {i - 1, i + 1, i - strideY, i + strideY, i - strideX, i + strideX};
                    const float *color = nullptr;
                    for (unsigned side = 0; side < 6; ++side) {
                        bool keep;
                        if (!inRange[side])
                            keep = true;
                        else if (vis == ColorMap::Opaque)
                            keep = !policy.hidesOpaque(neighbour[side]);
                        else
                            keep = !policy.hidesTranslucent(i, neighbour[side]);
                        if (!keep)
                            continue;
                        if (!color)
                            color = policy.color(i);
                        FaceVector &out = vis == ColorMap::Opaque ? lists.opaque : lists.translucent;
                        out.push_back(QuadFace::cellFace(x, y, z, side, cx, cy, cz, color, policy.material(i)));
                    }
                }
            }
        }
        return lists;
    };

    std::vector<FaceLists> slabs = Util::mapSlabs<FaceLists>(cellFaceSlabPlan(r, slabCount), slabTask);
    if (slabs.size() == 1) {
        result = std::move(slabs.front());
    } else {
        size_t opaque = 0, translucent = 0;
        for (const FaceLists &s : slabs) {
            opaque += s.opaque.size();
            translucent += s.translucent.size();
        }
        result.opaque.reserve(opaque);
        result.translucent.reserve(translucent);
        for (FaceLists &s : slabs) {
            result.opaque.insert(result.opaque.end(), s.opaque.begin(), s.opaque.end());
            result.translucent.insert(result.translucent.end(), s.translucent.begin(), s.translucent.end());
            s = FaceLists(); // release the slab's copy as soon as it is merged
        }
    }
    numberFaces(result.opaque);
    numberFaces(result.translucent);
    return result;
}

} // namespace Geometry
} // namespace Model
