#pragma once

#include "Util/largebuffer.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace Core {
namespace Operations {

// The flag and distance vector of a distance-counting run, kept only for the
// cells the run writes and only while it runs. A cell never written reads the
// value its caller derives from the cell's material, so a volume that is
// mostly solid or mostly empty costs a page table (a quarter byte a cell) plus
// a page for every 16 consecutive cells near the moving front.
//
// Each cell is written by the one slab that owns it; a page shared by two
// slabs keeps its marks in one atomic word, so concurrent writes to different
// cells of it are safe. Reads happen in a later pass than the writes they see.
class AutomatonScratch
{
public:
    static const unsigned PageBits = 4;
    static const unsigned PageCells = 1u << PageBits;

    struct Page
    {
        uint32_t marks; // bit c: cell c written; bit 16 + c: its flag (atomic access only)
        float vectors[PageCells][3];
    };

    AutomatonScratch() = default;
    AutomatonScratch(const AutomatonScratch &) = delete;
    AutomatonScratch &operator=(const AutomatonScratch &) = delete;

    // An empty table for cellCount cells; every page is dropped. Throws
    // std::bad_alloc when the table does not fit.
    void reset(uint64_t cellCount);
    // Frees the table and every page.
    void release();
    bool isReset() const { return m_table.size() != 0; }

    // The page of a cell when one of its cells was written, else null.
    const Page *pageOf(uint32_t cell) const
    {
        const uint32_t slot = __atomic_load_n(&m_table.data()[cell >> PageBits], __ATOMIC_ACQUIRE);
        return slot ? pageAt(slot - 1) : nullptr;
    }
    // True with the stored flag and vector when the cell was written.
    bool find(uint32_t cell, uint8_t &flag, const float *&vector) const
    {
        const Page *page = pageOf(cell);
        if (!page)
            return false;
        const unsigned c = cell & (PageCells - 1);
        const uint32_t marks = __atomic_load_n(&page->marks, __ATOMIC_RELAXED);
        if (!(marks & (1u << c)))
            return false;
        flag = uint8_t((marks >> (16 + c)) & 1u);
        vector = page->vectors[c];
        return true;
    }
    void write(uint32_t cell, uint8_t flag, const float vector[3]);

    // Pages held now, for the memory a run takes.
    size_t pageCount() const { return m_used; }

private:
    // About one huge page of pages per block, taken from the kernel in one go.
    static const unsigned BlockPages = 10240;
    Page *pageAt(uint32_t slot) const
    {
        return const_cast<Page *>(m_blocks[slot / BlockPages].data()) + slot % BlockPages;
    }
    Page *pageFor(uint32_t cell);

    Util::LargeArray<uint32_t> m_table; // page slot + 1, or 0
    std::vector<Util::LargeArray<Page>> m_blocks; // sized once by reset(), so readers never see it move
    size_t m_used = 0;
    std::mutex m_mutex; // page allocation
};

} // namespace Operations
} // namespace Core
