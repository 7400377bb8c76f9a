#include "installer/platform/LargeBlock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace tarnwick::platform {
namespace {

// Sizes around the 2 MiB pages that blocks are rounded up to natively; the
// sanitizers see a write beyond what was allocated.
TEST(LargeBlock, EverySizeIsWritableToItsLastByte) {
    constexpr std::size_t kPage = std::size_t{1} << 21;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kPage - 1, kPage, kPage + 1, 3 * kPage + 5}) {
        const LargeBlock block = allocateLargeBlock(size);
        ASSERT_NE(block, nullptr) << size;
        if (size == 0) continue;
        std::memset(block.get(), 0xA5, size);
        EXPECT_EQ(block[size - 1], 0xA5) << size;
    }
}

TEST(LargeBlock, ASizeNoMemoryCanHoldGivesNone) {
    EXPECT_EQ(allocateLargeBlock(std::numeric_limits<std::size_t>::max()), nullptr);
}

}  // namespace
}  // namespace tarnwick::platform
