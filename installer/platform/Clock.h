#pragma once

#include <cstdint>

namespace tarnwick::platform {

// A free-running millisecond counter from an arbitrary origin that wraps
// around at 2^32; only differences of two readings mean anything.
std::uint32_t millisecondCounter();

}  // namespace tarnwick::platform
