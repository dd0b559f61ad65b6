#include "spincoating.h"

#include "columnslabs.h"

#include "Model/Automaton/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

SpinCoating::SpinCoating(Model::Automaton::TotalVolume &volume, uint32_t material, unsigned height)
    : m_volume(volume), m_material(material), m_height(std::min(height, volume.getSizeZ()))
{
}

void SpinCoating::run()
{
    if (m_volume.getCellCount() == 0 || m_material == 0)
        return;
    const unsigned sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const unsigned height = m_height;
    const uint32_t material = m_material;
    CellLock lock(m_volume);
    Voxel *const cells = lock.cells();
    Util::runSlabs(columnSlabPlan(m_volume.getSizeX()), [&](const Util::SlabRange &range, unsigned) {
        for (unsigned x = range.first; x < range.last; ++x)
            for (unsigned y = 0; y < sy; ++y) {
                Voxel *column = cells + (size_t(x) * sy + y) * sz;
                for (unsigned z = 0; z < height; ++z)
                    if (column[z].material == 0)
                        column[z].material = material;
            }
    });
}

} // namespace Operations
} // namespace Core
