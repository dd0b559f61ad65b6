#include "automatonscratch.h"

namespace Core {
namespace Operations {

void AutomatonScratch::reset(uint64_t cellCount)
{
    release();
    m_tableSize = size_t((cellCount + PageCells - 1) >> PageBits);
    m_table.reset(new std::atomic<uint32_t>[m_tableSize]);
    for (size_t i = 0; i < m_tableSize; ++i)
        m_table[i].store(0, std::memory_order_relaxed);
    m_blocks.resize((m_tableSize + BlockPages - 1) / BlockPages);
}

void AutomatonScratch::release()
{
    m_table.reset();
    m_tableSize = 0;
    m_blocks = std::vector<std::unique_ptr<Page[]>>();
    m_used = 0;
}

AutomatonScratch::Page *AutomatonScratch::pageFor(uint32_t cell)
{
    std::atomic<uint32_t> &entry = m_table[cell >> PageBits];
    uint32_t slot = entry.load(std::memory_order_acquire);
    if (slot)
        return pageAt(slot - 1);
    std::lock_guard<std::mutex> lock(m_mutex);
    slot = entry.load(std::memory_order_acquire);
    if (slot)
        return pageAt(slot - 1);
    const size_t index = m_used;
    std::unique_ptr<Page[]> &block = m_blocks[index / BlockPages];
    if (!block)
        block.reset(new Page[BlockPages]);
    Page *page = block.get() + index % BlockPages;
    page->marks.store(0, std::memory_order_relaxed);
    ++m_used;
    entry.store(uint32_t(index + 1), std::memory_order_release);
    return page;
}

void AutomatonScratch::write(uint32_t cell, uint8_t flag, const float vector[3])
{
    Page *page = pageFor(cell);
    const unsigned c = cell & (PageCells - 1);
    float *v = page->vectors[c];
    v[0] = vector[0];
    v[1] = vector[1];
    v[2] = vector[2];
    const uint32_t flagBit = 1u << (16 + c);
    if (flag) {
        page->marks.fetch_or((1u << c) | flagBit, std::memory_order_relaxed);
    } else {
        page->marks.fetch_and(~flagBit, std::memory_order_relaxed);
        page->marks.fetch_or(1u << c, std::memory_order_relaxed);
    }
}

} // namespace Operations
} // namespace Core
