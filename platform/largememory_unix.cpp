#include "platform/largememory.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

// Blocks of a megabyte or more are mappings of their own, so that growing one
// moves its pages with mremap instead of copying them, and so that the kernel
// can back them by 2 MiB pages: faulting hundreds of megabytes in 4 KiB at a
// time costs more than writing them. Smaller blocks come from malloc. A small
// header before each block says which it is.
//
// Under AddressSanitizer every block comes from malloc, whatever its size: it
// cannot see the bounds of a mapping, so a read past the end of a large list
// would go unreported.
#if defined(__SANITIZE_ADDRESS__)
#define PAIRSIGHT_LARGE_FROM_MALLOC 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PAIRSIGHT_LARGE_FROM_MALLOC 1
#endif
#endif

namespace platform {

namespace {

#ifdef PAIRSIGHT_LARGE_FROM_MALLOC
constexpr std::size_t MapAtLeast = SIZE_MAX;
#else
constexpr std::size_t MapAtLeast = std::size_t {1} << 20;
#endif
constexpr std::size_t HugePage = std::size_t {2} << 20;

struct Header
{
    std::size_t total; // bytes of the mapping, header included; 0 for malloc
    std::size_t bytes; // usable bytes
};
static_assert(sizeof(Header) == 16);

Header *headerOf(void *block)
{
    return static_cast<Header *>(block) - 1;
}

void adviseHugePages(void *mapping, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    if (bytes >= 2 * HugePage)
        madvise(mapping, bytes, MADV_HUGEPAGE);
#else
    (void)mapping;
    (void)bytes;
#endif
}

// Set by tests to stand for memory running out; 0: no limit.
std::atomic<std::size_t> blockLimit {0};

// The header must fit in front of the block without the size wrapping round,
// and the block within the limit, if any.
bool tooLarge(std::size_t bytes)
{
    const std::size_t limit = blockLimit.load(std::memory_order_relaxed);
    return bytes > SIZE_MAX - sizeof(Header) || (limit != 0 && bytes > limit);
}

void *mapBlock(std::size_t bytes)
{
    const std::size_t total = bytes + sizeof(Header);
    void *mapping = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    adviseHugePages(mapping, total);
    auto *header = static_cast<Header *>(mapping);
    header->total = total;
    header->bytes = bytes;
    return header + 1;
}

} // namespace

void *allocateLarge(std::size_t bytes)
{
    if (tooLarge(bytes))
        return nullptr;
    if (bytes >= MapAtLeast)
        return mapBlock(bytes);
    auto *header = static_cast<Header *>(std::malloc(bytes + sizeof(Header)));
    if (!header)
        return nullptr;
    header->total = 0;
    header->bytes = bytes;
    return header + 1;
}

void *reallocateLarge(void *block, std::size_t bytes)
{
    if (!block)
        return allocateLarge(bytes);
    if (tooLarge(bytes))
        return nullptr;
    Header *header = headerOf(block);
    if (header->total != 0) {
        const std::size_t total = bytes + sizeof(Header);
        void *moved = mremap(header, header->total, total, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            return nullptr;
        adviseHugePages(moved, total);
        header = static_cast<Header *>(moved);
        header->total = total;
        header->bytes = bytes;
        return header + 1;
    }
    if (bytes < MapAtLeast) {
        auto *grown = static_cast<Header *>(std::realloc(header, bytes + sizeof(Header)));
        if (!grown)
            return nullptr;
        grown->bytes = bytes;
        return grown + 1;
    }
    void *mapped = mapBlock(bytes);
    if (!mapped)
        return nullptr;
    // A malloc block is below a megabyte: copying it once is cheap.
    std::memcpy(mapped, block, std::min(bytes, header->bytes));
    std::free(header);
    return mapped;
}

void setLargeBlockLimit(std::size_t bytes) noexcept
{
    blockLimit.store(bytes, std::memory_order_relaxed);
}

void freeLarge(void *block) noexcept
{
    if (!block)
        return;
    Header *header = headerOf(block);
    if (header->total != 0)
        munmap(header, header->total);
    else
        std::free(header);
}

} // namespace platform
