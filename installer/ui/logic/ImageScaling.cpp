#include "installer/ui/logic/ImageScaling.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::ui {

namespace {

constexpr int kChannels = 4;
constexpr int kAlpha = 3;

// The Catmull-Rom cubic: 1 at 0 and 0 at every other whole number, so that
// an image kept at its size comes out unchanged.
double catmullRom(double x) {
    x = std::abs(x);
    if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
    if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
    return 0;
}

struct Tap {
    int index = 0;
    float weight = 0;
};

// For each position along one axis of the result, the source positions it
// is made of and their weights, which add up to 1.
std::vector<std::vector<Tap>> tapsAlong(int from, int to) {
    const double scale = static_cast<double>(to) / from;
    const double widening = std::max(1.0, 1.0 / scale);
    const double reach = 2 * widening;
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
    for (int i = 0; i < to; ++i) {
        // Pixel centres map onto pixel centres.
        const double centre = (i + 0.5) / scale - 0.5;
        const int first = static_cast<int>(std::floor(centre - reach)) + 1;
        const int last = static_cast<int>(std::floor(centre + reach));
        double sum = 0;
        auto& here = taps[static_cast<std::size_t>(i)];
        for (int j = first; j <= last; ++j) {
            const double weight = catmullRom((j - centre) / widening);
            if (weight == 0) continue;
            here.push_back({std::clamp(j, 0, from - 1), static_cast<float>(weight)});
            sum += weight;
        }
        for (Tap& tap : here)
            tap.weight = static_cast<float>(tap.weight / sum);
    }
    return taps;
}

}  // namespace

std::vector<std::uint8_t> resizePremultiplied(const std::uint8_t* source, int sourceWidth, int sourceHeight,
                                              std::size_t stride, int width, int height) {
    if (source == nullptr || sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) return {};
    const auto across = tapsAlong(sourceWidth, width);
    const auto down = tapsAlong(sourceHeight, height);
    const auto columns = static_cast<std::size_t>(width);

    // Rows first: each source row resized to the new width.
    std::vector<float> rows(static_cast<std::size_t>(sourceHeight) * columns * kChannels);
    for (int y = 0; y < sourceHeight; ++y) {
        const std::uint8_t* row = source + static_cast<std::size_t>(y) * stride;
        float* out = &rows[static_cast<std::size_t>(y) * columns * kChannels];
        for (std::size_t x = 0; x < columns; ++x) {
            for (const Tap& tap : across[x]) {
                const std::uint8_t* pixel = row + static_cast<std::size_t>(tap.index) * kChannels;
                for (int c = 0; c < kChannels; ++c)
                    out[x * kChannels + c] += tap.weight * pixel[c];
            }
        }
    }

    // Then columns. The cubic overshoots at hard edges: alpha is held to
    // 0-255 and each colour to its alpha.
    std::vector<std::uint8_t> result(static_cast<std::size_t>(height) * columns * kChannels);
    for (int y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < columns; ++x) {
            float sums[kChannels] = {};
            for (const Tap& tap : down[static_cast<std::size_t>(y)]) {
                const float* pixel = &rows[(static_cast<std::size_t>(tap.index) * columns + x) * kChannels];
                for (int c = 0; c < kChannels; ++c)
                    sums[c] += tap.weight * pixel[c];
            }
            std::uint8_t* out = &result[(static_cast<std::size_t>(y) * columns + x) * kChannels];
            const long alpha = std::clamp(std::lround(sums[kAlpha]), 0L, 255L);
            for (int c = 0; c < kChannels; ++c) {
                const long value = c == kAlpha ? alpha : std::clamp(std::lround(sums[c]), 0L, alpha);
                out[c] = static_cast<std::uint8_t>(value);
            }
        }
    }
    return result;
}

}  // namespace tarnwick::ui
