#include "largebuffer.h"

#include <sys/mman.h>

#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace Util {

namespace {
constexpr size_t HugePage = size_t(2) << 20;

// Faults in [p, p + bytes); false when memory ran out.
bool populateRange(char *p, size_t bytes)
{
    if (madvise(p, bytes, MADV_POPULATE_WRITE) == 0)
        return true;
    if (errno == ENOMEM)
        return false;
    std::memset(p, 0, bytes);
    return true;
}

// The kernel clears every page it faults in, at a few GB/s on one core: a
// buffer of hundreds of megabytes is faulted in by several threads at once.
bool populate(char *p, size_t bytes)
{
    const size_t chunk = size_t(64) << 20;
    const unsigned threads = std::min<unsigned>(unsigned((bytes + chunk - 1) / chunk),
                                                unsigned(std::max(1, QThreadPool::globalInstance()->maxThreadCount())));
    if (threads <= 1)
        return populateRange(p, bytes);
    // Whole huge pages per part, the last part taking the rest.
    const size_t part = (bytes / threads + HugePage - 1) / HugePage * HugePage;
    std::vector<std::thread> helpers;
    std::vector<char> ok(threads, 1);
    try {
        for (unsigned t = 1; t < threads; ++t) {
            const size_t begin = std::min(bytes, t * part);
            const size_t end = t + 1 == threads ? bytes : std::min(bytes, (t + 1) * part);
            helpers.emplace_back([p, begin, end, &ok, t]() { ok[t] = populateRange(p + begin, end - begin) ? 1 : 0; });
        }
    } catch (const std::system_error &) {
        // No thread to help: this one does the rest.
        for (size_t t = helpers.size() + 1; t < threads; ++t) {
            const size_t begin = std::min(bytes, t * part);
            const size_t end = t + 1 == threads ? bytes : std::min(bytes, (t + 1) * part);
            ok[t] = populateRange(p + begin, end - begin) ? 1 : 0;
        }
    }
    ok[0] = populateRange(p, std::min(bytes, part)) ? 1 : 0;
    for (std::thread &helper : helpers)
        helper.join();
    return std::find(ok.begin(), ok.end(), 0) == ok.end();
}
} // namespace

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
    // Fault everything in now, so that a shortage is a bad_alloc here rather
    // than the end of the process later; fall back to touching it when the kernel
    // is older.
    if (!populate(aligned, bytes)) {
        munmap(base, mapped);
        throw std::bad_alloc();
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
