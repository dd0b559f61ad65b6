#include "materialruns.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <new>

namespace Model {
namespace Automaton {

namespace {

// Thin volumes are walked on the calling thread: a pool task costs more than a few layers.
Util::SlabPlan plan(const TotalVolume &volume)
{
    return Util::planSlabs(0, volume.getSizeX(), Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 8);
}

// Runs a slab task for every slab; false when one ran out of memory.
template <class Task>
bool eachSlab(const Util::SlabPlan &slabs, Task task)
{
    try {
        Util::runSlabs(slabs, task);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

// Adds cell i with material m to a list of runs, joining it to the last run when it continues it.
void extend(std::vector<MaterialRuns::Run> &runs, uint64_t i, uint32_t m)
{
    if (!runs.empty()) {
        MaterialRuns::Run &last = runs.back();
        if (last.material == m && uint64_t(last.start) + last.length == i) {
            ++last.length;
            return;
        }
    }
    runs.push_back({uint32_t(i), 1, m});
}

} // namespace

size_t MaterialRuns::runCount() const
{
    size_t n = 0;
    for (const Slab &slab : m_slabs)
        n += slab.ends.size();
    return n;
}

void MaterialRuns::clear()
{
    m_slabs = std::vector<Slab>();
    m_cellCount = 0;
}

bool MaterialRuns::capture(TotalVolume &volume)
{
    clear();
    const uint64_t count = volume.getCellCount();
    if (count > std::numeric_limits<uint32_t>::max())
        return false;
    const uint64_t layer = uint64_t(volume.getSizeY()) * volume.getSizeZ();
    const Util::SlabPlan slabs = plan(volume);
    std::vector<Slab> kept;
    try {
        kept.resize(slabs.slabs.size());
    } catch (const std::bad_alloc &) {
        return false;
    }
    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    const bool ok = eachSlab(slabs, [&](const Util::SlabRange &range, unsigned s) {
        Slab &slab = kept[s];
        slab.first = range.first * layer;
        slab.last = range.last * layer;
        uint64_t i = slab.first;
        while (i < slab.last) {
            const uint32_t m = cells[i].material;
            uint64_t j = i + 1;
            while (j < slab.last && cells[j].material == m)
                ++j;
            slab.ends.push_back(uint32_t(j));
            slab.materials.push_back(m);
            i = j;
        }
    });
    if (!ok)
        return false;
    m_slabs.swap(kept);
    m_cellCount = count;
    return true;
}

void MaterialRuns::restore(TotalVolume &volume) const
{
    if (m_slabs.empty() || volume.getCellCount() != m_cellCount)
        return;
    CellLock lock(volume);
    Voxel *cells = lock.cells();
    // The slabs were cut by the thread count of the capture; any split of them is fine here.
    Util::SlabPlan slabs = Util::planSlabs(0, unsigned(m_slabs.size()), Util::defaultSlabCount(),
                                           Util::SlabSplit::RemainderByCount);
    Util::runSlabs(slabs, [&](const Util::SlabRange &range, unsigned) {
        for (unsigned s = range.first; s < range.last; ++s) {
            const Slab &slab = m_slabs[s];
            uint64_t i = slab.first;
            for (size_t r = 0; r < slab.ends.size(); ++r) {
                const uint32_t m = slab.materials[r];
                for (const uint64_t end = slab.ends[r]; i < end; ++i)
                    if (cells[i].material != m)
                        cells[i].material = m;
            }
        }
    });
}

bool MaterialRuns::changes(TotalVolume &volume, std::vector<Run> &before, std::vector<Run> &after) const
{
    before.clear();
    after.clear();
    if (volume.getCellCount() != m_cellCount)
        return false;
    std::vector<std::vector<Run>> slabBefore(m_slabs.size()), slabAfter(m_slabs.size());
    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    Util::SlabPlan slabs = Util::planSlabs(0, unsigned(m_slabs.size()), Util::defaultSlabCount(),
                                           Util::SlabSplit::RemainderByCount);
    const bool ok = eachSlab(slabs, [&](const Util::SlabRange &range, unsigned) {
        for (unsigned s = range.first; s < range.last; ++s) {
            const Slab &slab = m_slabs[s];
            uint64_t i = slab.first;
            for (size_t r = 0; r < slab.ends.size(); ++r) {
                const uint32_t m = slab.materials[r];
                for (const uint64_t end = slab.ends[r]; i < end; ++i) {
                    const uint32_t now = cells[i].material;
                    if (now == m)
                        continue;
                    extend(slabBefore[s], i, m);
                    extend(slabAfter[s], i, now);
                }
            }
        }
    });
    if (!ok)
        return false;
    try {
        for (size_t s = 0; s < m_slabs.size(); ++s) {
            // Runs may continue across a slab border; they stay two runs, which restore the same cells.
            before.insert(before.end(), slabBefore[s].begin(), slabBefore[s].end());
            after.insert(after.end(), slabAfter[s].begin(), slabAfter[s].end());
            slabBefore[s] = std::vector<Run>();
            slabAfter[s] = std::vector<Run>();
        }
    } catch (const std::bad_alloc &) {
        before.clear();
        after.clear();
        return false;
    }
    return true;
}

void MaterialRuns::apply(TotalVolume &volume, const std::vector<Run> &runs)
{
    CellLock lock(volume);
    Voxel *cells = lock.cells();
    for (const Run &run : runs)
        std::fill(cells + run.start, cells + run.start + run.length, Voxel(run.material));
}

} // namespace Automaton
} // namespace Model
