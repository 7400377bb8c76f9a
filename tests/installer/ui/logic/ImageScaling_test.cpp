#include "installer/ui/logic/ImageScaling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tarnwick::ui {
namespace {

using Pixel = std::array<std::uint8_t, 4>;  // blue, green, red, alpha

// An image of width x height pixels, premultiplied, rows top to bottom.
class Image {
public:
    Image(int width, int height, Pixel fill = {}) : width_(width), bytes_(std::size_t(width) * height * 4) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                set(x, y, fill);
    }
    void set(int x, int y, Pixel pixel) {
        std::copy(pixel.begin(), pixel.end(), bytes_.begin() + (std::ptrdiff_t(y) * width_ + x) * 4);
    }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t stride() const { return std::size_t(width_) * 4; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    int width_;
    std::vector<std::uint8_t> bytes_;
};

Pixel at(const std::vector<std::uint8_t>& bytes, int width, int x, int y) {
    const auto offset = (std::size_t(y) * width + x) * 4;
    return {bytes[offset], bytes[offset + 1], bytes[offset + 2], bytes[offset + 3]};
}

TEST(ImageScaling, KeepsAnImageOfTheSameSizeExactly) {
    Image image(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.set(x, y, {std::uint8_t(x * 40), std::uint8_t(y * 70), 10, 255});
    image.set(2, 1, {0, 0, 0, 0});
    EXPECT_EQ(resizePremultiplied(image.data(), 5, 3, image.stride(), 5, 3), image.bytes());
}

TEST(ImageScaling, KeepsAPlainColourPlainAtAnySize) {
    const Pixel colour{40, 80, 120, 200};
    const Image image(8, 8, colour);
    for (int size : {1, 3, 8, 12, 13, 30}) {
        const auto resized = resizePremultiplied(image.data(), 8, 8, image.stride(), size, size);
        ASSERT_EQ(resized.size(), std::size_t(size) * size * 4) << size;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                ASSERT_EQ(at(resized, size, x, y), colour) << size << " at " << x << "," << y;
    }
}

TEST(ImageScaling, GrowsAHardEdgeWithoutColourAboveAlpha) {
    // Half-transparent white beside opaque black: at the edge the cubic
    // overshoots the white's colour upwards and its alpha downwards, which
    // must not leave a colour that blending would overflow.
    const Pixel white{128, 128, 128, 128};
    const Pixel black{0, 0, 0, 255};
    Image image(6, 6, black);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 3; ++x)
            image.set(x, y, white);
    const auto resized = resizePremultiplied(image.data(), 6, 6, image.stride(), 9, 9);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            const Pixel pixel = at(resized, 9, x, y);
            for (int c = 0; c < 3; ++c)
                ASSERT_LE(pixel[c], pixel[3]) << x << "," << y;
        }
        EXPECT_EQ(at(resized, 9, 0, y), white) << "far from the edge";
        EXPECT_EQ(at(resized, 9, 8, y), black) << "far from the edge";
    }
    const Pixel middle = at(resized, 9, 4, 4);
    EXPECT_GT(middle[3], 150) << "the edge is blended, not picked";
    EXPECT_LT(middle[3], 235);
}

TEST(ImageScaling, ShrinkingAveragesFineDetail) {
    // One-pixel stripes of black and white: picking pixels would give one of
    // the two; every source pixel counting gives grey.
    Image image(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.set(x, y, x % 2 ? Pixel{255, 255, 255, 255} : Pixel{0, 0, 0, 255});
    const auto resized = resizePremultiplied(image.data(), 16, 16, image.stride(), 5, 5);
    for (int x = 1; x < 4; ++x) {
        const Pixel pixel = at(resized, 5, x, 2);
        EXPECT_NEAR(pixel[0], 128, 20) << x;
        EXPECT_EQ(pixel[3], 255);
    }
}

TEST(ImageScaling, ReadsOneImageOfAStripWithoutItsNeighbours) {
    // Two 4-pixel images side by side: red, then green. Grown, the red one
    // must not take any green at its right edge.
    Image strip(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            strip.set(x, y, x < 4 ? Pixel{0, 0, 255, 255} : Pixel{0, 255, 0, 255});
    const auto red = resizePremultiplied(strip.data(), 4, 4, strip.stride(), 7, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(at(red, 7, x, y), (Pixel{0, 0, 255, 255})) << x << "," << y;
    const auto green = resizePremultiplied(strip.data() + 4 * 4, 4, 4, strip.stride(), 7, 7);
    EXPECT_EQ(at(green, 7, 0, 3), (Pixel{0, 255, 0, 255})) << "nor the green one red at its left";
}

}  // namespace
}  // namespace tarnwick::ui
