#include "mooreneighborhoodetching.h"

#include "mooreneighborhood.h"
#include "mooreslabs.h"
#include "slabfronts.h"

#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

MooreNeighborhoodEtching::MooreNeighborhoodEtching(Model::Automaton::TotalVolume &volume, uint32_t material)
    : m_volume(volume), m_material(material)
{
}

unsigned MooreNeighborhoodEtching::slabCount() const
{
    return unsigned(mooreSlabPlan(m_volume.getSizeX()).slabs.size());
}

int MooreNeighborhoodEtching::run(unsigned iterations)
{
    // Etching "empty" would be meaningless and would never stop growing its front.
    if (m_volume.getCellCount() == 0 || iterations == 0 || m_material == 0)
        return 0;
    const unsigned sx = m_volume.getSizeX(), sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const MooreNeighborhood moore(sx, sy, sz);
    SlabFronts fronts(mooreSlabPlan(sx), sy * sz);
    CellLock lock(m_volume);
    Voxel *const cells = lock.cells();
    const uint32_t material = m_material;

    return fronts.run(
        iterations,
        [&](const Util::SlabRange &range, unsigned slab) {
            moore.initializeFront(
                cells, range.first, range.last, fronts, slab,
                [material](const Voxel &v) { return v.material == material; },
                [](const Voxel &v) { return v.material == 0; });
        },
        [&](const Util::SlabRange &, unsigned slab) {
            std::vector<uint32_t> &removed = fronts.changes(slab);
            for (uint32_t cell : fronts.front(slab)) {
                // Emptied in the previous iteration: its neighbours of the material are already on the front.
                if (cells[cell].material != material)
                    continue;
                removed.push_back(cell);
                moore.forEachNeighbour(cell, [&](uint32_t n) {
                    if (cells[n].material == material)
                        fronts.route(slab, n);
                });
            }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            for (uint32_t cell : fronts.changes(slab))
                cells[cell].material = 0;
        });
}

} // namespace Operations
} // namespace Core
