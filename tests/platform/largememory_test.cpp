#include "platform/largememory.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdint>

#ifdef TESTSUPPORT_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

TEST(LargeMemoryTest, SizesThatWouldWrapRoundAreRefused)
{
    EXPECT_EQ(platform::allocateLarge(SIZE_MAX), nullptr);
    EXPECT_EQ(platform::allocateLarge(SIZE_MAX - 8), nullptr);
    void *block = platform::allocateLarge(64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(platform::reallocateLarge(block, SIZE_MAX - 1), nullptr);
    platform::freeLarge(block);
}

TEST(LargeMemoryTest, GrowingKeepsTheContentsAcrossTheMappingThreshold)
{
    auto *block = static_cast<unsigned char *>(platform::allocateLarge(1000));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 1000; ++i)
        block[i] = static_cast<unsigned char>(i);
    for (std::size_t size : {std::size_t {3} << 20, std::size_t {9} << 20}) {
        block = static_cast<unsigned char *>(platform::reallocateLarge(block, size));
        ASSERT_NE(block, nullptr);
        block[size - 1] = 7;
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(block[i], static_cast<unsigned char>(i)) << "size " << size;
    }
    platform::freeLarge(block);
}

#ifdef TESTSUPPORT_ASAN
// A mapping has no red zone, so AddressSanitizer would miss a read just past
// a large block.
TEST(LargeMemoryTest, UnderAddressSanitizerTheByteAfterALargeBlockIsPoisoned)
{
    const std::size_t size = std::size_t {4} << 20;
    auto *block = static_cast<char *>(platform::allocateLarge(size));
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(__asan_address_is_poisoned(block + size - 1));
    EXPECT_TRUE(__asan_address_is_poisoned(block + size));
    block = static_cast<char *>(platform::reallocateLarge(block, 2 * size));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(__asan_address_is_poisoned(block + 2 * size));
    platform::freeLarge(block);
}
#endif

} // namespace
