#pragma once

#include <cstdint>

namespace tarnwick {

// The proof of the rendezvous exchange: each side shows that it knows the key
// by transforming the other side's challenge. Unsigned 32-bit arithmetic, so
// the sum wraps around.
inline constexpr std::uint32_t keyedTransform(std::uint32_t x) {
    const std::uint32_t t = x ^ 0x4C1D2B73u;
    return t % 11353u + t;
}

}  // namespace tarnwick
