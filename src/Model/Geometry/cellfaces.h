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
// Cells are visited x, then y, then z, faces in side order. A first pass
// counts each slab's faces, a second lets every slab write its faces into its
// own part of the final lists: the order is the slab order whatever the
// scheduling, and no slab copies are merged.
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

    // Calls sink(opaque, x, y, z, side, i) for every kept face of the slab.
    auto walk = [&](const Util::SlabRange &slab, auto &&sink) {
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
                    if (Policy::SameMaterialHides && innerRow && z > r.z0 && z + 1 < r.z1 && !grid.isCut(i)) {
                        const Automaton::Voxel *c = grid.cells;
                        const uint32_t m = cell.material;
                        auto same = [c, m, &grid](size_t n) { return c[n].material == m && !grid.isCut(n); };
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
                    for (unsigned side = 0; side < 6; ++side) {
                        bool keep;
                        if (!inRange[side])
                            keep = true;
                        else if (vis == ColorMap::Opaque)
                            keep = !policy.hidesOpaque(neighbour[side]);
                        else
                            keep = !policy.hidesTranslucent(i, neighbour[side]);
                        if (keep)
                            sink(vis == ColorMap::Opaque, x, y, z, side, i);
                    }
                }
            }
        }
    };

    struct Counts
    {
        size_t opaque = 0, translucent = 0;
    };
    const Util::SlabPlan plan = cellFaceSlabPlan(r, slabCount);
    const std::vector<Counts> counts = Util::mapSlabs<Counts>(plan, [&](const Util::SlabRange &slab, unsigned) {
        Counts c;
        walk(slab, [&c](bool opaque, unsigned, unsigned, unsigned, unsigned, size_t) {
            ++(opaque ? c.opaque : c.translucent);
        });
        return c;
    });
    std::vector<Counts> offsets(counts.size() + 1);
    for (size_t s = 0; s < counts.size(); ++s) {
        offsets[s + 1].opaque = offsets[s].opaque + counts[s].opaque;
        offsets[s + 1].translucent = offsets[s].translucent + counts[s].translucent;
    }
    result.opaque.resize(offsets.back().opaque);
    result.translucent.resize(offsets.back().translucent);
    // Serials follow list order: opaque faces first, then translucent ones.
    const uint64_t opaqueSerial = QuadFace::takeSerials(result.opaque.size());
    const uint64_t translucentSerial = QuadFace::takeSerials(result.translucent.size());
    QuadFace *opaqueOut = result.opaque.data();
    QuadFace *translucentOut = result.translucent.data();
    Util::runSlabs(plan, [&](const Util::SlabRange &slab, unsigned s) {
        size_t o = offsets[s].opaque, t = offsets[s].translucent;
        walk(slab, [&](bool opaque, unsigned x, unsigned y, unsigned z, unsigned side, size_t i) {
            QuadFace &f = opaque ? opaqueOut[o] : translucentOut[t];
            f = QuadFace::cellFace(x, y, z, side, cx, cy, cz, policy.color(i), policy.material(i));
            f.serial = opaque ? opaqueSerial + o++ : translucentSerial + t++;
        });
    });
    return result;
}

} // namespace Geometry
} // namespace Model
