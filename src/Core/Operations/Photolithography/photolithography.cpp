#include "photolithography.h"

#include "maskimage.h"

#include "Core/Operations/Moore/slabfronts.h"
#include "Model/Automaton/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

namespace {

// Equal slabs, the last taking the rest; one slab on the calling thread below two layers a slab.
Util::SlabPlan developmentPlan(unsigned sizeX)
{
    return Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::EqualLastTakesRest, 2);
}

} // namespace

Photolithography::Photolithography(Model::Automaton::TotalVolume &volume, uint32_t material,
                                   const std::vector<bool> &bottomMask, unsigned bottomWidth, unsigned bottomHeight,
                                   const std::vector<bool> &topMask, unsigned topWidth, unsigned topHeight)
    : m_volume(volume),
      m_material(material),
      m_bottom(columns(bottomMask, bottomWidth, bottomHeight)),
      m_top(columns(topMask, topWidth, topHeight))
{
}

std::vector<uint8_t> Photolithography::columns(const std::vector<bool> &bits, unsigned width, unsigned height) const
{
    const unsigned sx = m_volume.getSizeX(), sy = m_volume.getSizeY();
    std::vector<uint8_t> grid = MaskImage::columnGrid(bits, width, height, sx, sy);
    if (m_material == NegativeResist) {
        // Inside the image the inverse of the mask bit; outside it (exposed) the resist stays.
        const unsigned xs = std::min(sx, width), ys = std::min(sy, height);
        for (unsigned x = 0; x < sx; ++x)
            for (unsigned y = 0; y < sy; ++y) {
                uint8_t &bit = grid[size_t(x) * sy + y];
                bit = (x < xs && y < ys) ? uint8_t(bit ^ 1) : uint8_t(1);
            }
    }
    return grid;
}

unsigned Photolithography::slabCount() const { return unsigned(developmentPlan(m_volume.getSizeX()).slabs.size()); }

void Photolithography::run()
{
    if (m_volume.getCellCount() == 0 || m_material == 0)
        return;
    const unsigned sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    SlabFronts fronts(developmentPlan(m_volume.getSizeX()), sy * sz);
    CellLock lock(m_volume);
    Voxel *const cells = lock.cells();
    const uint32_t material = m_material;

    fronts.run(
        sz,
        [&](const Util::SlabRange &range, unsigned slab) {
            uint32_t index = uint32_t(size_t(range.first) * sy * sz);
            for (unsigned x = range.first; x < range.last; ++x)
                for (unsigned y = 0; y < sy; ++y) {
                    const size_t column = size_t(x) * sy + y;
                    const bool bottomOpen = m_bottom[column] == 0, topOpen = m_top[column] == 0;
                    for (unsigned z = 0; z < sz; ++z, ++index) {
                        if (cells[index].material != material)
                            continue;
                        if ((bottomOpen && z > 0 && cells[index - 1].material == 0) ||
                            (topOpen && z + 1 < sz && cells[index + 1].material == 0))
                            fronts.addToFront(slab, index);
                    }
                }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            std::vector<uint32_t> &removed = fronts.changes(slab);
            for (uint32_t cell : fronts.front(slab)) {
                if (cells[cell].material != material)
                    continue;
                removed.push_back(cell);
                const unsigned z = cell % sz;
                // Only resist can be developed next; anything else would be dropped from the front anyway.
                if (z + 1 < sz && cells[cell + 1].material == material)
                    fronts.route(slab, cell + 1);
                if (z > 0 && cells[cell - 1].material == material)
                    fronts.route(slab, cell - 1);
            }
        },
        [&](const Util::SlabRange &, unsigned slab) {
            for (uint32_t cell : fronts.changes(slab))
                cells[cell].material = 0;
        },
        true); // development runs along z: a column never leaves its slab
}

} // namespace Operations
} // namespace Core
