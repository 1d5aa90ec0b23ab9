#pragma once

#include <cstddef>
#include <new>

namespace platform {

// Memory for arrays of many megabytes: plain malloc, with the system asked to
// back it by large pages where it can, since faulting in hundreds of
// megabytes 4 KiB at a time costs more than filling them. Growing may move
// the block without copying it page by page. Returns nullptr on failure.
void *allocateLarge(std::size_t bytes);
void *reallocateLarge(void *block, std::size_t bytes);
void freeLarge(void *block) noexcept;

// For tests: while `bytes` is not 0, a block of more than that many bytes
// cannot be had (nullptr, as when memory has run out); 0 lifts the limit.
void setLargeBlockLimit(std::size_t bytes) noexcept;

// An allocator for standard containers of that size.
template<typename T>
struct LargeAllocator
{
    using value_type = T;
    LargeAllocator() = default;
    template<typename U>
    LargeAllocator(const LargeAllocator<U> &) noexcept
    {
    }
    T *allocate(std::size_t count)
    {
        if (void *block = allocateLarge(count * sizeof(T)))
            return static_cast<T *>(block);
        throw std::bad_alloc();
    }
    void deallocate(T *block, std::size_t) noexcept { freeLarge(block); }
    template<typename U>
    bool operator==(const LargeAllocator<U> &) const noexcept
    {
        return true;
    }
};

} // namespace platform
