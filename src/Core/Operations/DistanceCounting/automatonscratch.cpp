#include "automatonscratch.h"

namespace Core {
namespace Operations {

void AutomatonScratch::reset(unsigned sizeX, unsigned sizeY, unsigned sizeZ)
{
    release();
    m_cellCount = uint64_t(sizeX) * sizeY * sizeZ;
    m_sizeZ = sizeZ;
    // Division by sizeZ as a multiplication: with k = 32 + ceil(log2 sizeZ) and
    // m = ceil(2^k / sizeZ), (n * m) >> k is n / sizeZ for every 32-bit n.
    unsigned bits = 0;
    while ((uint64_t(1) << bits) < sizeZ)
        ++bits;
    m_zShift = 32 + bits;
    const unsigned __int128 power = (unsigned __int128)1 << m_zShift;
    m_zMagic = uint64_t((power + sizeZ - 1) / sizeZ);
}

void AutomatonScratch::setBands(std::vector<ColumnBand> bands, uint64_t bandCells)
{
    m_bandFlags = Util::LargeArray<uint8_t>(size_t(bandCells));
    m_bandVectors = Util::LargeArray<float>(size_t(bandCells) * 3);
    m_bands.swap(bands);
}

void AutomatonScratch::release()
{
    m_cellCount = 0;
    m_sizeZ = 0;
    m_bands = std::vector<ColumnBand>();
    m_bandFlags = Util::LargeArray<uint8_t>();
    m_bandVectors = Util::LargeArray<float>();
    m_tableData = nullptr;
    m_table = Util::LargeArray<uint32_t>();
    m_blocks = std::vector<Util::LargeArray<Page>>();
    m_used = 0;
}

AutomatonScratch::Page *AutomatonScratch::pageFor(uint32_t cell)
{
    if (uint32_t *table = __atomic_load_n(&m_tableData, __ATOMIC_ACQUIRE)) {
        const uint32_t slot = __atomic_load_n(&table[cell >> PageBits], __ATOMIC_ACQUIRE);
        if (slot)
            return pageAt(slot - 1);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_tableData) {
        // Other slabs see the table only through m_tableData, published when it is whole.
        const size_t pages = size_t((m_cellCount + PageCells - 1) >> PageBits);
        m_blocks.resize((pages + BlockPages - 1) / BlockPages);
        m_table = Util::LargeArray<uint32_t>(pages); // all zero: no page yet
        __atomic_store_n(&m_tableData, m_table.data(), __ATOMIC_RELEASE);
    }
    uint32_t *entry = &m_tableData[cell >> PageBits];
    const uint32_t slot = __atomic_load_n(entry, __ATOMIC_ACQUIRE);
    if (slot)
        return pageAt(slot - 1);
    const size_t index = m_used;
    Util::LargeArray<Page> &block = m_blocks[index / BlockPages];
    if (block.size() == 0)
        block = Util::LargeArray<Page>(BlockPages); // zero-filled: no cell written
    ++m_used;
    __atomic_store_n(entry, uint32_t(index + 1), __ATOMIC_RELEASE);
    return block.data() + index % BlockPages;
}

void AutomatonScratch::write(uint32_t cell, uint8_t flag, const float vector[3])
{
    const uint32_t column = columnOf(cell);
    const int64_t slot = bandSlot(column, cell - column * m_sizeZ);
    if (slot >= 0) {
        setBandCell(uint64_t(slot), flag, vector);
        return;
    }
    Page *page = pageFor(cell);
    const unsigned c = cell & (PageCells - 1);
    float *v = page->vectors[c];
    v[0] = vector[0];
    v[1] = vector[1];
    v[2] = vector[2];
    const uint32_t written = 1u << c, flagBit = 1u << (16 + c);
    // Another slab may be marking a cell of the same page: change only this cell's bits, atomically.
    const uint32_t marks = __atomic_load_n(&page->marks, __ATOMIC_RELAXED);
    if (flag) {
        if ((marks & (written | flagBit)) != (written | flagBit))
            __atomic_fetch_or(&page->marks, written | flagBit, __ATOMIC_RELAXED);
    } else {
        if (marks & flagBit)
            __atomic_fetch_and(&page->marks, ~flagBit, __ATOMIC_RELAXED);
        if (!(marks & written))
            __atomic_fetch_or(&page->marks, written, __ATOMIC_RELAXED);
    }
}

} // namespace Operations
} // namespace Core
