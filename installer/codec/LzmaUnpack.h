#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwick {

// Decodes raw LZMA: the five property bytes, then the data, into exactly
// destinationLength bytes. True only when every source byte was used and
// exactly destinationLength bytes came out. Keeps no state between calls, so
// any thread may call it at any time.
[[nodiscard]] bool unpackLzma(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* destination,
                              std::size_t destinationLength);

}  // namespace tarnwick
