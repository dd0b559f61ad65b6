#include "cutcellvolume.h"

#include "maskimage.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

namespace {

// The remainder goes to the first slabs; one slab on the calling thread below two layers a slab.
Util::SlabPlan cutPlan(unsigned sizeX)
{
    return Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);
}

} // namespace

CutCellVolume::CutCellVolume(Model::Automaton::TotalVolume &volume, const std::vector<bool> &mask, unsigned width,
                             unsigned height)
    : m_volume(volume), m_columns(MaskImage::columnGrid(mask, width, height, volume.getSizeX(), volume.getSizeY()))
{
}

unsigned CutCellVolume::slabCount() const { return unsigned(cutPlan(m_volume.getSizeX()).slabs.size()); }

void CutCellVolume::applyCut() { change(Change::Increment); }
void CutCellVolume::undoCut() { change(Change::Decrement); }
void CutCellVolume::removeCuts() { change(Change::Reset); }

void CutCellVolume::change(Change what)
{
    if (m_volume.getCellCount() == 0)
        return;
    const unsigned sy = m_volume.getSizeY(), sz = m_volume.getSizeZ();
    CellLock lock(m_volume);
    Model::Geometry::TotalVolumePainter &painter = m_volume.getPainter();
    if (what != Change::Increment && !painter.cutCounts())
        return; // nothing is cut, so nothing goes down
    if (what == Change::Reset) {
        painter.clearCutCounts();
        return;
    }
    uint8_t *const counts = painter.cutCountsForWriting();
    if (!counts)
        return; // no memory for the counts: the cut is not drawn
    Util::runSlabs(cutPlan(m_volume.getSizeX()), [&](const Util::SlabRange &range, unsigned) {
        for (unsigned x = range.first; x < range.last; ++x)
            for (unsigned y = 0; y < sy; ++y) {
                const size_t column = size_t(x) * sy + y;
                if (m_columns[column] != 0)
                    continue;
                uint8_t *cell = counts + column * sz;
                for (unsigned z = 0; z < sz; ++z, ++cell) {
                    if (what == Change::Increment) {
                        if (*cell < 255)
                            ++*cell;
                    } else if (*cell > 0) {
                        --*cell;
                    }
                }
            }
    });
}

} // namespace Operations
} // namespace Core
