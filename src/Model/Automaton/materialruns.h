#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

// A volume's materials kept as runs of equal ids in cell order: a copy whose
// size follows the surfaces inside the volume (a few runs per column), not its
// cell count. The undo snapshot and a stoppable step's backup keep one while a
// step runs, and afterwards only the cells the step changed.
class MaterialRuns
{
public:
    // Cells [start, start + length) all hold material.
    struct Run
    {
        uint32_t start;
        uint32_t length;
        uint32_t material;
    };

    // Copies the volume's materials under its cell lock. False, keeping
    // nothing, when memory runs out.
    bool capture(TotalVolume &volume);
    bool isEmpty() const { return m_slabs.empty(); }
    uint64_t cellCount() const { return m_cellCount; }
    size_t runCount() const;
    void clear();

    // Puts the captured materials back (under the cell lock) where they differ
    // now; nothing when the volume has another cell count.
    void restore(TotalVolume &volume) const;

    // The cells that differ now from the captured ones, in cell order: their
    // captured materials as runs in before, what they hold now in after.
    // False when memory runs out.
    bool changes(TotalVolume &volume, std::vector<Run> &before, std::vector<Run> &after) const;

    // Writes runs into the volume under its cell lock. Every run must lie
    // inside the volume (checked by whoever read them).
    static void apply(TotalVolume &volume, const std::vector<Run> &runs);

private:
    struct Slab
    {
        uint64_t first = 0, last = 0; // cells [first, last)
        std::vector<uint32_t> ends;   // run i ends before ends[i]
        std::vector<uint32_t> materials;
    };
    std::vector<Slab> m_slabs;
    uint64_t m_cellCount = 0;
};

} // namespace Automaton
} // namespace Model
