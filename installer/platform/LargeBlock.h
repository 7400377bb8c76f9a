#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarnwick::platform {

// A block of memory for a whole package, packed or unpacked: tens of
// megabytes that are filled once and read once. Where the system offers huge
// pages for such blocks they are asked for, which spares the decoder and the
// file writes most page faults and TLB misses.
struct LargeBlockFree {
    void operator()(std::uint8_t* block) const;
};
using LargeBlock = std::unique_ptr<std::uint8_t[], LargeBlockFree>;

// Null when the memory cannot be had.
LargeBlock allocateLargeBlock(std::size_t size);

}  // namespace tarnwick::platform
