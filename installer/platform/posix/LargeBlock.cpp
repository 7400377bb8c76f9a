#include "installer/platform/LargeBlock.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace tarnwick::platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{1} << 21;

}  // namespace

void LargeBlockFree::operator()(std::uint8_t* block) const {
    std::free(block);
}

LargeBlock allocateLargeBlock(std::size_t size) {
    if (size < kHugePage) return LargeBlock(static_cast<std::uint8_t*>(std::malloc(size ? size : 1)));
    // Whole huge pages, aligned to them, so that the kernel can back the
    // block with them when it is set to do so only on request. A size that
    // cannot be rounded up would wrap to a tiny block.
    if (size > SIZE_MAX - (kHugePage - 1)) return nullptr;
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    auto* block = static_cast<std::uint8_t*>(std::aligned_alloc(kHugePage, rounded));
    if (block) ::madvise(block, rounded, MADV_HUGEPAGE);
    return LargeBlock(block);
}

}  // namespace tarnwick::platform
