#include "simplereactiveionetching.h"

#include "Core/Operations/Moore/slabfronts.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

namespace {

// Equal slabs, the last taking the rest; one slab when there are fewer layers than slabs.
Util::SlabPlan etchPlan(unsigned sizeX)
{
    return Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::EqualLastTakesRest);
}

} // namespace

SimpleReactiveIonEtching::SimpleReactiveIonEtching(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                   unsigned layers, unsigned directions)
    : m_volume(volume), m_material(material), m_layers(layers), m_directions(directions & (FromTop | FromBelow))
{
}

unsigned SimpleReactiveIonEtching::slabCount() const { return unsigned(etchPlan(m_volume.getSizeX()).slabs.size()); }

void SimpleReactiveIonEtching::run()
{
    if (m_volume.getCellCount() == 0 || m_material == 0 || m_directions == 0 || m_layers == 0)
        return;
    const unsigned sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const bool fromTop = (m_directions & FromTop) != 0, fromBelow = (m_directions & FromBelow) != 0;
    const uint32_t material = m_material;
    SlabFronts fronts(etchPlan(m_volume.getSizeX()), sy * sz);
    CellLock lock(m_volume);
    Voxel *const cells = lock.cells();

    fronts.run(
        m_layers,
        [&](const Util::SlabRange &range, unsigned slab) {
            uint32_t index = uint32_t(size_t(range.first) * sy * sz);
            for (unsigned x = range.first; x < range.last; ++x)
                for (unsigned y = 0; y < sy; ++y)
                    for (unsigned z = 0; z < sz; ++z, ++index) {
                        if (cells[index].material != material)
                            continue;
                        if ((fromTop && z + 1 < sz && cells[index + 1].material == 0) ||
                            (fromBelow && z > 0 && cells[index - 1].material == 0))
                            fronts.addToFront(slab, index);
                    }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            std::vector<uint32_t> &removed = fronts.changes(slab);
            for (uint32_t cell : fronts.front(slab)) {
                if (cells[cell].material != material)
                    continue;
                removed.push_back(cell);
                const unsigned z = cell % sz;
                // Etching from below moves up the column, etching from the top moves down.
                if (fromBelow && z + 1 < sz && cells[cell + 1].material == material)
                    fronts.route(slab, cell + 1);
                if (fromTop && z > 0 && cells[cell - 1].material == material)
                    fronts.route(slab, cell - 1);
            }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            for (uint32_t cell : fronts.changes(slab))
                cells[cell].material = 0;
        },
        true); // the etch runs along z: a column never leaves its slab
}

} // namespace Operations
} // namespace Core
