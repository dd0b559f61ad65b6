#include "automatonscratch.h"

namespace Core {
namespace Operations {

void AutomatonScratch::reset(uint64_t cellCount)
{
    release();
    const size_t pages = size_t((cellCount + PageCells - 1) >> PageBits);
    m_table = Util::LargeArray<uint32_t>(pages); // all zero: no page yet
    m_blocks.resize((pages + BlockPages - 1) / BlockPages);
}

void AutomatonScratch::release()
{
    m_table = Util::LargeArray<uint32_t>();
    m_blocks = std::vector<Util::LargeArray<Page>>();
    m_used = 0;
}

AutomatonScratch::Page *AutomatonScratch::pageFor(uint32_t cell)
{
    uint32_t *entry = &m_table.data()[cell >> PageBits];
    uint32_t slot = __atomic_load_n(entry, __ATOMIC_ACQUIRE);
    if (slot)
        return pageAt(slot - 1);
    std::lock_guard<std::mutex> lock(m_mutex);
    slot = __atomic_load_n(entry, __ATOMIC_ACQUIRE);
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
