#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace Util {

// Zero-filled memory for big arrays (cell arrays, snapshot buffers), taken
// straight from the kernel on huge pages where it can and faulted in with one
// call: the engines walk whole arrays, and with 4 KiB pages those walks are
// dominated by TLB misses (ten times slower on a virtual machine).
class LargeBuffer
{
public:
    LargeBuffer() = default;
    // Throws std::bad_alloc when the memory is not there.
    explicit LargeBuffer(size_t bytes);
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer &) = delete;
    LargeBuffer &operator=(const LargeBuffer &) = delete;
    LargeBuffer(LargeBuffer &&other) noexcept;
    LargeBuffer &operator=(LargeBuffer &&other) noexcept;

    void *data() const { return m_data; }
    size_t bytes() const { return m_bytes; }

private:
    void release();

    void *m_data = nullptr;
    size_t m_bytes = 0;
    char *m_base = nullptr;
    size_t m_mapped = 0;
};

// A fixed-size array of trivially copyable values, all bits zero at the start.
template <class T>
class LargeArray
{
    static_assert(std::is_trivially_copyable<T>::value, "LargeArray holds raw, zero-filled memory");

public:
    LargeArray() = default;
    explicit LargeArray(size_t count) : m_buffer(checkedBytes(count)), m_size(count) {}
    LargeArray(LargeArray &&other) noexcept : m_buffer(std::move(other.m_buffer)), m_size(other.m_size)
    {
        other.m_size = 0;
    }
    LargeArray &operator=(LargeArray &&other) noexcept
    {
        m_buffer = std::move(other.m_buffer);
        m_size = other.m_size;
        other.m_size = 0;
        return *this;
    }

    T *data() { return static_cast<T *>(m_buffer.data()); }
    const T *data() const { return static_cast<const T *>(m_buffer.data()); }
    size_t size() const { return m_size; }
    T &operator[](size_t i) { return data()[i]; }
    const T &operator[](size_t i) const { return data()[i]; }
    T *begin() { return data(); }
    T *end() { return data() + m_size; }
    const T *begin() const { return data(); }
    const T *end() const { return data() + m_size; }

private:
    static size_t checkedBytes(size_t count)
    {
        if (count > size_t(-1) / 2 / sizeof(T))
            throw std::bad_alloc();
        return count * sizeof(T);
    }

    LargeBuffer m_buffer;
    size_t m_size = 0;
};

} // namespace Util
