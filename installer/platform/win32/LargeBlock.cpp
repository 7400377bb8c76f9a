#include "installer/platform/LargeBlock.h"

#include <cstdlib>

namespace tarnwick::platform {

// Large pages need a privilege that a per-user installer does not hold:
// plain heap memory.
void LargeBlockFree::operator()(std::uint8_t* block) const {
    std::free(block);
}

LargeBlock allocateLargeBlock(std::size_t size) {
    return LargeBlock(static_cast<std::uint8_t*>(std::malloc(size ? size : 1)));
}

}  // namespace tarnwick::platform
