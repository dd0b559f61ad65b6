#include "mooreneighborhooddeposition.h"

#include "mooreneighborhood.h"
#include "mooreslabs.h"
#include "slabfronts.h"

#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

MooreNeighborhoodDeposition::MooreNeighborhoodDeposition(Model::Automaton::TotalVolume &volume, uint32_t material)
    : m_volume(volume), m_material(material)
{
}

unsigned MooreNeighborhoodDeposition::slabCount() const
{
    return unsigned(mooreSlabPlan(m_volume.getSizeX()).slabs.size());
}

int MooreNeighborhoodDeposition::run(unsigned iterations)
{
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
                cells, range.first, range.last, fronts, slab, [](const Voxel &v) { return v.material == 0; },
                [](const Voxel &v) { return v.material != 0; });
        },
        [&](const Util::SlabRange &, unsigned slab) {
            std::vector<uint32_t> &fill = fronts.changes(slab);
            for (uint32_t cell : fronts.front(slab)) {
                // A cell filled in the previous iteration is still on the front; its empty
                // neighbours are already there too, so it has nothing left to add.
                if (cells[cell].material != 0)
                    continue;
                fill.push_back(cell);
                moore.forEachNeighbour(cell, [&](uint32_t n) {
                    if (cells[n].material == 0)
                        fronts.route(slab, n);
                });
            }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            for (uint32_t cell : fronts.changes(slab))
                cells[cell].material = material;
        });
}

} // namespace Operations
} // namespace Core
