#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tarnwick::ui {

// An icon list resource: a strip of n square images of s pixels, side by
// side, premultiplied blue-green-red-alpha, rows top to bottom.
//
//   offset 0   u32 LE  s, the width and height of each image
//   offset 4   u32 LE  n, the number of images
//   offset 8   ...     the strip: exactly s*n*s*4 bytes stored plainly, or
//                      any other length: 5 LZMA property bytes + LZMA data
//                      that unpack to s*n*s*4 bytes
//
// The two header words are little-endian, unlike the installer's other
// formats.
struct IconListHeader {
    std::uint32_t imageSize = 0;
    std::uint32_t imageCount = 0;
};

constexpr std::size_t kIconListHeaderSize = 8;

// Strips beyond this many bytes are refused: no image the installer shows
// comes near it, and the product s*n*s*4 of hostile header words must not
// wrap into a small allocation.
constexpr std::uint64_t kMaxIconStripBytes = 64u << 20;

// The header of a resource, or nothing when it is shorter than the header,
// holds no image, or describes a strip beyond the limit.
std::optional<IconListHeader> readIconListHeader(const std::uint8_t* resource, std::size_t length);

std::size_t stripBytes(const IconListHeader& header);

// Fills strip (stripBytes long) from the resource: a plain copy when the rest
// is exactly the strip's length, otherwise unpacked. A packed strip that
// fails to unpack leaves what the decoder wrote, the rest untouched; the
// caller hands in a zeroed strip so that such images come out transparent.
void fillIconStrip(const std::uint8_t* resource, std::size_t length, const IconListHeader& header,
                   std::uint8_t* strip);

}  // namespace tarnwick::ui
