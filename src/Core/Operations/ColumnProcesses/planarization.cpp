#include "planarization.h"

#include "columnslabs.h"

#include "Model/Automaton/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

Planarization::Planarization(Model::Automaton::TotalVolume &volume, unsigned maximumHeight, unsigned minimumHeight)
    : m_volume(volume),
      m_maximum(std::min(maximumHeight, volume.getSizeZ())),
      m_minimum(std::min(minimumHeight, volume.getSizeZ()))
{
}

void Planarization::run()
{
    if (m_volume.getCellCount() == 0)
        return;
    const unsigned sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    const unsigned low = m_minimum, high = m_maximum;
    CellLock lock(m_volume);
    Voxel *const cells = lock.cells();
    Util::runSlabs(columnSlabPlan(m_volume.getSizeX()), [&](const Util::SlabRange &range, unsigned) {
        for (unsigned x = range.first; x < range.last; ++x)
            for (unsigned y = 0; y < sy; ++y) {
                Voxel *column = cells + (size_t(x) * sy + y) * sz;
                for (unsigned z = 0; z < low; ++z)
                    column[z].material = 0;
                for (unsigned z = high; z < sz; ++z)
                    column[z].material = 0;
            }
    });
}

} // namespace Operations
} // namespace Core
