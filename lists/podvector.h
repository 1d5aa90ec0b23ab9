#pragma once

#include "platform/largememory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// A growable array of trivially copyable values in one large block: growing
// reallocates in place of copying, which matters for arrays of tens of
// millions of entries. Copies are deep.
template<typename T>
class PodVector
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodVector() = default;
    PodVector(const PodVector &other) { assign(other); }
    PodVector(PodVector &&other) noexcept
        : m_data(std::exchange(other.m_data, nullptr))
        , m_size(std::exchange(other.m_size, 0))
        , m_capacity(std::exchange(other.m_capacity, 0))
    {
    }
    PodVector &operator=(const PodVector &other)
    {
        if (this != &other)
            assign(other);
        return *this;
    }
    PodVector &operator=(PodVector &&other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }
    ~PodVector() { platform::freeLarge(m_data); }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T &operator[](std::size_t index) { return m_data[index]; }
    const T &operator[](std::size_t index) const { return m_data[index]; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }

    void reserve(std::size_t capacity)
    {
        if (capacity <= m_capacity)
            return;
        void *grown = platform::reallocateLarge(m_data, capacity * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        m_data = static_cast<T *>(grown);
        m_capacity = capacity;
    }
    void push_back(const T &value)
    {
        if (m_size == m_capacity)
            reserve(std::max<std::size_t>(16, m_capacity * 2));
        m_data[m_size++] = value;
    }
    void insert(std::size_t position, const T &value)
    {
        push_back(value);
        std::memmove(m_data + position + 1, m_data + position, (m_size - 1 - position) * sizeof(T));
        m_data[position] = value;
    }
    // Grows or shrinks to `size` values; values it adds are left unset, for
    // the caller to write (and so to fault their pages in where it likes).
    void resizeForOverwrite(std::size_t size)
    {
        reserve(size);
        m_size = size;
    }
    // Shrinks to `size` values.
    void truncate(std::size_t size) { m_size = std::min(size, m_size); }
    void clear() { m_size = 0; }

private:
    void assign(const PodVector &other)
    {
        m_size = 0;
        reserve(other.m_size);
        if (other.m_size)
            std::memcpy(m_data, other.m_data, other.m_size * sizeof(T));
        m_size = other.m_size;
    }

    T *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
