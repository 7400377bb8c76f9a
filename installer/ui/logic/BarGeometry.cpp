#include "installer/ui/logic/BarGeometry.h"

#include <algorithm>
#include <array>

namespace tarnwick::ui {

namespace {

constexpr std::array<std::uint8_t, 6> kBusyAlphas = {63, 127, 255, 255, 127, 63};

// ceil((width - gap) / step), 0 when that is not positive or the step is 0.
int chunksAcross(int width, int gap, int step) {
    const int usable = width - gap;
    if (usable <= 0 || step <= 0) return 0;
    return (usable + step - 1) / step;
}

ChunkSpan spanAt(const ChunkLayout& layout, int index) {
    const int left = layout.contentLeft + index * layout.step();
    return {left, std::min(left + layout.chunkWidth, layout.contentRight)};
}

}  // namespace

int busyPositionCount(const ChunkLayout& layout) {
    return chunksAcross(layout.contentRight - layout.contentLeft, layout.gapWidth, layout.step());
}

std::vector<BusyChunk> busyChunks(const ChunkLayout& layout, std::uint32_t phase) {
    const int count = busyPositionCount(layout);
    std::vector<BusyChunk> chunks;
    if (count == 0) return chunks;
    for (std::uint32_t k = 0; k < kBusyAlphas.size(); ++k) {
        // The phase counts ticks for as long as the animation runs, so the
        // sum may wrap; it is taken modulo the count in 64 bits.
        const auto index = static_cast<int>((std::uint64_t{phase} + k) % static_cast<std::uint64_t>(count));
        chunks.push_back({spanAt(layout, index), kBusyAlphas[k]});
    }
    return chunks;
}

int filledWidth(int contentWidth, std::uint32_t done, std::uint32_t total) {
    if (total == 0 || contentWidth <= 0) return 0;
    // Done may exceed total when a caller reports more than it announced;
    // the bar never draws past its content.
    const std::uint64_t filled = std::uint64_t(contentWidth) * std::min(done, total) / total;
    return static_cast<int>(filled);
}

std::vector<ChunkSpan> filledChunks(const ChunkLayout& layout, std::uint32_t done, std::uint32_t total) {
    const int filled = filledWidth(layout.contentRight - layout.contentLeft, done, total);
    const int count = chunksAcross(filled, layout.gapWidth, layout.step());
    std::vector<ChunkSpan> chunks;
    for (int i = 0; i < count; ++i)
        chunks.push_back(spanAt(layout, i));
    return chunks;
}

}  // namespace tarnwick::ui
