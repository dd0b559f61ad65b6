#pragma once

#include "Util/slabrunner.h"

#include <QMutex>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Core {
namespace Operations {

// The front machinery of the layer-by-layer engines (Moore growth and
// etching, resist development, reactive-ion etching): per x slab an ordered
// front of cell indices, the cells found for the slab before and after it, a
// list of cells to write and a mutex.
//
// Each iteration is an update pass that only reads cells and records
// changes and hand-overs, a barrier, then a merge pass that takes the
// neighbours' hand-overs, writes the changes and swaps in the new front.
// Reads thus see the state at the start of the iteration, so the result
// does not depend on the slab count or on scheduling.
class SlabFronts
{
public:
    // Called once per slab with its range and number.
    typedef std::function<void(const Util::SlabRange &, unsigned)> SlabTask;

    // layerCells: cells per x layer (sizeY * sizeZ).
    SlabFronts(const Util::SlabPlan &plan, uint32_t layerCells);
    ~SlabFronts();
    SlabFronts(const SlabFronts &) = delete;
    SlabFronts &operator=(const SlabFronts &) = delete;

    const Util::SlabPlan &plan() const { return m_plan; }
    unsigned slabCount() const { return unsigned(m_plan.slabs.size()); }

    // Initialize pass: cells of the slab, any order, repeats allowed.
    void addToFront(unsigned slab, uint32_t cell) { m_slabs[slab]->front.push_back(cell); }
    // Update pass: the slab's front in increasing index.
    const std::vector<uint32_t> &front(unsigned slab) const { return m_slabs[slab]->front; }
    // Update pass: puts a cell into the slab's new front, or hands it to the
    // slab before or after when it lies outside the slab.
    void route(unsigned slab, uint32_t cell)
    {
        Slab &s = *m_slabs[slab];
        if (cell < s.begin)
            s.toPreviousSlab.push_back(cell);
        else if (cell >= s.end)
            s.toNextSlab.push_back(cell);
        else
            addNew(s, cell);
    }
    // Update pass: cells the merge pass writes, handed to apply.
    std::vector<uint32_t> &changes(unsigned slab) { return m_slabs[slab]->changes; }

    // Runs initialize on every slab, then at most iterations iterations of
    // update / barrier / merge, where the merge calls apply(range, slab) to
    // write the slab's changes. Stops early once every front is empty.
    // slabLocal: the engine never routes a cell out of its slab; each slab
    // then runs all its iterations in one task without barriers, which
    // gives the same cells. Returns the iterations stepped (the most of any slab).
    int run(unsigned iterations, const SlabTask &initialize, const SlabTask &update, const SlabTask &apply,
            bool slabLocal = false);

private:
    struct Slab
    {
        QMutex mutex;
        uint64_t begin = 0, end = 0; // the slab's cell indices
        std::vector<uint32_t> front;
        std::vector<uint32_t> newFront;
        std::vector<uint32_t> toNextSlab;
        std::vector<uint32_t> toPreviousSlab;
        std::vector<uint32_t> changes;
        // One bit per cell of the slab, clear between iterations: keeps each cell once in the new front.
        std::vector<uint64_t> seen;
    };

    static void addNew(Slab &s, uint32_t cell)
    {
        const uint64_t offset = cell - s.begin;
        uint64_t &word = s.seen[size_t(offset >> 6)];
        const uint64_t bit = uint64_t(1) << (offset & 63);
        if (word & bit)
            return;
        word |= bit;
        s.newFront.push_back(cell);
    }
    void beginUpdate(unsigned slab);
    void merge(unsigned slab);
    // Sorts the new front, clears its marks and makes it the front.
    void swapFront(Slab &s);
    static void orderInitialFront(std::vector<uint32_t> &front);

    Util::SlabPlan m_plan;
    std::vector<std::unique_ptr<Slab>> m_slabs;
};

} // namespace Operations
} // namespace Core
