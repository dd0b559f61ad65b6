#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace Model {
namespace Geometry {

// Allocator for the big geometry lists (hundreds of thousands of faces): blocks
// from 1 MiB up come straight from the kernel, aligned to and advised for huge
// pages, so filling them costs a few hundred page faults instead of tens of
// thousands (page faults are very expensive on virtual machines). Smaller
// blocks use the standard allocator.
template <class T>
struct LargeAllocator
{
    typedef T value_type;

    LargeAllocator() noexcept = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U> &) noexcept
    {
    }

    T *allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T) - HugePage)
            throw std::bad_alloc();
        const size_t bytes = n * sizeof(T);
        if (bytes < Threshold)
            return std::allocator<T>().allocate(n);
        const size_t mapped = bytes + HugePage;
        void *p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        char *base = static_cast<char *>(p);
        // Leave room for the header in front of the aligned block.
        char *aligned =
            reinterpret_cast<char *>((reinterpret_cast<uintptr_t>(base) + sizeof(Header) + HugePage - 1) & ~(HugePage - 1));
#ifdef MADV_HUGEPAGE
        madvise(aligned, bytes, MADV_HUGEPAGE);
#endif
        Header *h = reinterpret_cast<Header *>(aligned) - 1;
        h->base = base;
        h->mapped = mapped;
        return reinterpret_cast<T *>(aligned);
    }

    void deallocate(T *p, size_t n) noexcept
    {
        if (n * sizeof(T) < Threshold) {
            std::allocator<T>().deallocate(p, n);
            return;
        }
        const Header *h = reinterpret_cast<const Header *>(p) - 1;
        munmap(h->base, h->mapped);
    }

    // resize() leaves new elements default-initialised rather than zeroed:
    // generators size a list once and fill every element from the slab tasks.
    template <class U>
    void construct(U *p) noexcept(noexcept(U()))
    {
        ::new (static_cast<void *>(p)) U;
    }
    template <class U, class... Args>
    void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const LargeAllocator<U> &) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const LargeAllocator<U> &) const noexcept
    {
        return false;
    }

private:
    struct Header
    {
        char *base;
        size_t mapped;
    };
    static constexpr size_t HugePage = size_t(2) << 20;
    static constexpr size_t Threshold = size_t(1) << 20;
};

} // namespace Geometry
} // namespace Model
