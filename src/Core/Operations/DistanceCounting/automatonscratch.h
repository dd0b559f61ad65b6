#pragma once

#include "Util/largebuffer.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace Core {
namespace Operations {

// The flag and distance vector of a distance-counting run, kept only while it
// runs and only for the cells it can reach:
// - a band per cell column, the z range where the run's front can pass (laid
//   out densely, column after column, and filled before the run starts), and
// - pages of 16 consecutive cells, made on demand, for the few cells outside
//   every band that a run writes.
// A cell in neither reads the value its caller derives from its material.
// So a volume that is mostly solid or mostly empty costs its bands (a few
// cells above each surface) and a column table, not its cell count.
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

    // Cells [zlo, zhi) of a column are band cells first, first + 1, ...
    struct ColumnBand
    {
        uint64_t first = 0;
        uint32_t zlo = 0, zhi = 0;
    };

    AutomatonScratch() = default;
    AutomatonScratch(const AutomatonScratch &) = delete;
    AutomatonScratch &operator=(const AutomatonScratch &) = delete;

    // No band and no page for a volume of these sizes.
    void reset(unsigned sizeX, unsigned sizeY, unsigned sizeZ);
    // Takes the bands (one per column) and makes their cells, flags and vectors
    // unset; the caller fills every band cell before the run reads it. Throws
    // std::bad_alloc when they do not fit.
    void setBands(std::vector<ColumnBand> bands, uint64_t bandCells);
    // Frees everything.
    void release();
    bool isReset() const { return m_sizeZ != 0; }
    const std::vector<ColumnBand> &bands() const { return m_bands; }

    // The column of a cell, without a division.
    uint32_t columnOf(uint32_t cell) const
    {
        return uint32_t((unsigned __int128)cell * m_zMagic >> m_zShift);
    }
    // The band slot of cell (column, z), or -1.
    int64_t bandSlot(uint32_t column, uint32_t z) const
    {
        if (m_bands.empty())
            return -1;
        const ColumnBand &b = m_bands[column];
        return z - b.zlo < b.zhi - b.zlo ? int64_t(b.first + (z - b.zlo)) : -1;
    }
    void setBandCell(uint64_t slot, uint8_t flag, const float vector[3])
    {
        m_bandFlags[slot] = flag;
        float *v = m_bandVectors.data() + 3 * slot;
        v[0] = vector[0];
        v[1] = vector[1];
        v[2] = vector[2];
    }

    // True with the stored flag and vector when the cell is a band cell or was written.
    bool find(uint32_t cell, uint8_t &flag, const float *&vector) const
    {
        const uint32_t column = columnOf(cell);
        return findAt(column, cell - column * m_sizeZ, cell, flag, vector);
    }
    // find() for a cell whose column and height the caller knows.
    bool findAt(uint32_t column, uint32_t z, uint32_t cell, uint8_t &flag, const float *&vector) const
    {
        const int64_t slot = bandSlot(column, z);
        if (slot >= 0) {
            flag = m_bandFlags[size_t(slot)];
            vector = m_bandVectors.data() + 3 * size_t(slot);
            return true;
        }
        return findInPages(cell, flag, vector);
    }
    void write(uint32_t cell, uint8_t flag, const float vector[3]);
    // Asks memory for the band vectors of a cell and its face neighbours (sizeY: columns per x slab).
    void prefetchNeighbourhood(uint32_t cell, unsigned sizeY) const
    {
        if (m_bands.empty())
            return;
        const uint32_t column = columnOf(cell);
        const uint32_t z = cell - column * m_sizeZ;
        const size_t columns = m_bands.size();
        const size_t around[5] = {column, column - 1, column + 1, column - sizeY, column + sizeY};
        for (size_t c : around) {
            if (c >= columns) // wrapped below 0 or past the end
                continue;
            const ColumnBand &b = m_bands[c];
            if (z - b.zlo < b.zhi - b.zlo)
                __builtin_prefetch(m_bandVectors.data() + 3 * (b.first + (z - b.zlo)));
        }
    }

    // Band cells and pages held now, for the memory a run takes.
    uint64_t bandCellCount() const { return m_bandFlags.size(); }
    size_t pageCount() const { return m_used; }

private:
    bool findInPages(uint32_t cell, uint8_t &flag, const float *&vector) const
    {
        const uint32_t *table = __atomic_load_n(&m_tableData, __ATOMIC_ACQUIRE);
        if (!table)
            return false;
        const uint32_t slot = __atomic_load_n(&table[cell >> PageBits], __ATOMIC_ACQUIRE);
        if (!slot)
            return false;
        const Page *page = pageAt(slot - 1);
        const unsigned c = cell & (PageCells - 1);
        const uint32_t marks = __atomic_load_n(&page->marks, __ATOMIC_RELAXED);
        if (!(marks & (1u << c)))
            return false;
        flag = uint8_t((marks >> (16 + c)) & 1u);
        vector = page->vectors[c];
        return true;
    }
    // About one huge page of pages per block, taken from the kernel in one go.
    static const unsigned BlockPages = 10240;
    Page *pageAt(uint32_t slot) const
    {
        return const_cast<Page *>(m_blocks[slot / BlockPages].data()) + slot % BlockPages;
    }
    Page *pageFor(uint32_t cell);

    uint64_t m_cellCount = 0;
    unsigned m_sizeZ = 0;
    uint64_t m_zMagic = 0; // column = cell * m_zMagic >> m_zShift
    unsigned m_zShift = 0;
    std::vector<ColumnBand> m_bands; // one per column, or none
    Util::LargeArray<uint8_t> m_bandFlags;
    Util::LargeArray<float> m_bandVectors;
    // Pages: the table is made with the first page (page slot + 1, or 0).
    Util::LargeArray<uint32_t> m_table;
    uint32_t *m_tableData = nullptr; // published (atomically) once the table is whole
    std::vector<Util::LargeArray<Page>> m_blocks; // sized with the table, so readers never see it move
    size_t m_used = 0;
    std::mutex m_mutex; // page allocation
};

} // namespace Operations
} // namespace Core
