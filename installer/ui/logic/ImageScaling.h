#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnwick::ui {

// Resizes one image of premultiplied blue-green-red-alpha pixels, rows top
// to bottom, with a bicubic filter (Catmull-Rom) that is widened when the
// image shrinks, so that every source pixel counts: a grown image keeps its
// edges smooth and a shrunk one averages its detail instead of dropping it.
//
// source is the image's top-left pixel and stride the bytes from one row to
// the next, so that one image of a strip is read in place; the filter
// repeats the image's own edge pixels beyond its edges and never reads its
// neighbours. The result is width * height * 4 bytes with every colour at
// most its alpha, as blending premultiplied pixels needs; empty when either
// size is not positive.
std::vector<std::uint8_t> resizePremultiplied(const std::uint8_t* source, int sourceWidth, int sourceHeight,
                                              std::size_t stride, int width, int height);

}  // namespace tarnwick::ui
