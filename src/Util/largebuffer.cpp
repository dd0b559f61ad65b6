#include "largebuffer.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace Util {

namespace {
constexpr size_t HugePage = size_t(2) << 20;
}

LargeBuffer::LargeBuffer(size_t bytes)
{
    if (bytes == 0)
        return;
    if (bytes > size_t(-1) - HugePage)
        throw std::bad_alloc();
    // Over-allocate by one huge page so the cells can start on a huge-page boundary.
    const size_t mapped = bytes + HugePage;
    void *p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    char *base = static_cast<char *>(p);
    char *aligned = reinterpret_cast<char *>((reinterpret_cast<uintptr_t>(base) + HugePage - 1) & ~(HugePage - 1));
#ifdef MADV_HUGEPAGE
    madvise(aligned, bytes, MADV_HUGEPAGE);
#endif
    // Fault everything in now, in one call; fall back to touching it when the kernel is older.
    if (madvise(aligned, bytes, MADV_POPULATE_WRITE) != 0) {
        if (errno == ENOMEM) {
            munmap(base, mapped);
            throw std::bad_alloc();
        }
        std::memset(aligned, 0, bytes);
    }
    m_base = base;
    m_mapped = mapped;
    m_data = aligned;
    m_bytes = bytes;
}

LargeBuffer::~LargeBuffer() { release(); }

LargeBuffer::LargeBuffer(LargeBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_bytes(std::exchange(other.m_bytes, 0)),
      m_base(std::exchange(other.m_base, nullptr)), m_mapped(std::exchange(other.m_mapped, 0))
{
}

LargeBuffer &LargeBuffer::operator=(LargeBuffer &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
        m_base = std::exchange(other.m_base, nullptr);
        m_mapped = std::exchange(other.m_mapped, 0);
    }
    return *this;
}

void LargeBuffer::release()
{
    if (m_base)
        munmap(m_base, m_mapped);
    m_base = nullptr;
    m_mapped = 0;
    m_data = nullptr;
    m_bytes = 0;
}

} // namespace Util
