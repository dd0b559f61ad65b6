#pragma once

#include "mooreneighborhood.h"
#include "mooreslabs.h"
#include "slabfronts.h"

#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// The loop both Moore automata share: cells holding `from` that touch a source
// cell (any of the 26 neighbours) turn into `to`, one Moore layer per
// iteration. Deposition grows empty cells next to solid ones; etching empties
// cells of its material next to empty ones. Returns the iterations stepped.
template <class IsSource>
int runMooreLayers(Model::Automaton::TotalVolume &volume, unsigned iterations, uint32_t from, uint32_t to,
                   IsSource isSource)
{
    using Model::Automaton::Voxel;
    const unsigned sx = volume.getSizeX(), sy = volume.getSizeY(), sz = volume.getSizeZ();
    const MooreNeighborhood moore(sx, sy, sz);
    SlabFronts fronts(mooreSlabPlan(sx), sy * sz);
    Model::Automaton::CellLock lock(volume);
    Voxel *const cells = lock.cells();

    return fronts.run(
        iterations,
        [&](const Util::SlabRange &range, unsigned slab) {
            moore.initializeFront(
                cells, range.first, range.last, fronts, slab, [from](const Voxel &v) { return v.material == from; },
                isSource);
        },
        [&](const Util::SlabRange &, unsigned slab) {
            std::vector<uint32_t> &changed = fronts.changes(slab);
            for (uint32_t cell : fronts.front(slab)) {
                // Changed in the previous iteration: its neighbours holding `from` are already on the front.
                if (cells[cell].material != from)
                    continue;
                changed.push_back(cell);
                moore.forEachNeighbour(cell, [&](uint32_t n) {
                    if (cells[n].material == from)
                        fronts.route(slab, n);
                });
            }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            for (uint32_t cell : fronts.changes(slab))
                cells[cell].material = to;
        });
}

} // namespace Operations
} // namespace Core
