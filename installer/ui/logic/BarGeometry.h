#pragma once

#include <cstdint>
#include <vector>

namespace tarnwick::ui {

// Where the progress bar's chunks go, in pixels of the client area. Kept free
// of any drawing call so that the geometry holds the same on every system.

struct ChunkSpan {
    int left = 0;
    int right = 0;  // exclusive; never past the content's right edge
    bool operator==(const ChunkSpan&) const = default;
};

struct ChunkLayout {
    int contentLeft = 0;
    int contentRight = 0;
    int chunkWidth = 0;
    int gapWidth = 0;
    int step() const { return chunkWidth + gapWidth; }
};

// A moving chunk of the busy animation with the opacity it is blended with.
struct BusyChunk {
    ChunkSpan span;
    std::uint8_t alpha = 0;
    bool operator==(const BusyChunk&) const = default;
};

// The number of steps a chunk can take across the content, rounded up: the
// busy group wraps around after this many. 0 for a content too narrow for
// one chunk or a zero step.
int busyPositionCount(const ChunkLayout& layout);

// The six chunks of the busy group at this phase, faint at both ends and
// opaque in the middle; none when there is no position to put them.
std::vector<BusyChunk> busyChunks(const ChunkLayout& layout, std::uint32_t phase);

// The pixels of the content that done of total fills, without overflow for
// any 32-bit done and total; 0 for a total of 0.
int filledWidth(int contentWidth, std::uint32_t done, std::uint32_t total);

// The chunks that show done of total, left to right.
std::vector<ChunkSpan> filledChunks(const ChunkLayout& layout, std::uint32_t done, std::uint32_t total);

}  // namespace tarnwick::ui
