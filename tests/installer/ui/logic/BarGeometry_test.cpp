#include "installer/ui/logic/BarGeometry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tarnwick::ui {
namespace {

// The classic bar of the progress window: 310 x 16 client pixels, 2 pixels
// of sunken edge, 8-pixel chunks with 2-pixel gaps.
constexpr ChunkLayout kClassic{2, 308, 8, 2};

TEST(BusyAnimation, HasOnePositionPerStepRoundedUp) {
    EXPECT_EQ(busyPositionCount(kClassic), 31);
    EXPECT_EQ(busyPositionCount({0, 2, 8, 2}), 0);
    EXPECT_EQ(busyPositionCount({0, 3, 8, 2}), 1);
    EXPECT_EQ(busyPositionCount({0, 100, 0, 0}), 0) << "a zero step draws nothing";
}

TEST(BusyAnimation, GroupWrapsAroundTheEndWithGradedAlphas) {
    const auto chunks = busyChunks(kClassic, 29);
    ASSERT_EQ(chunks.size(), 6u);
    const int positions[] = {29, 30, 0, 1, 2, 3};
    const std::uint8_t alphas[] = {63, 127, 255, 255, 127, 63};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(chunks[k].span.left, 2 + positions[k] * 10) << k;
        EXPECT_EQ(chunks[k].alpha, alphas[k]) << k;
    }
    EXPECT_EQ(chunks[1].span, (ChunkSpan{302, 308})) << "the last position is cut at the content's edge";
}

TEST(BusyAnimation, PhaseNearTheTopOfItsRangeStillWrapsCorrectly) {
    const auto chunks = busyChunks(kClassic, UINT32_MAX);
    ASSERT_EQ(chunks.size(), 6u);
    // 4294967295 mod 31 = 3; the following five follow on without a jump.
    EXPECT_EQ(chunks[0].span.left, 2 + 3 * 10);
    EXPECT_EQ(chunks[5].span.left, 2 + 8 * 10);
}

TEST(BusyAnimation, NoPositionsMeansNoChunks) {
    EXPECT_TRUE(busyChunks({5, 6, 8, 2}, 3).empty());
}

TEST(DoneOfTotal, HalfFillsSixteenChunksTheLastOneWhole) {
    EXPECT_EQ(filledWidth(306, 1, 2), 153);
    const auto chunks = filledChunks(kClassic, 1, 2);
    ASSERT_EQ(chunks.size(), 16u);
    EXPECT_EQ(chunks.front(), (ChunkSpan{2, 10}));
    EXPECT_EQ(chunks.back(), (ChunkSpan{152, 160}));
}

TEST(DoneOfTotal, CompleteFillsTheContentCuttingTheLastChunk) {
    const auto chunks = filledChunks(kClassic, 2048, 2048);
    ASSERT_EQ(chunks.size(), 31u);
    EXPECT_EQ(chunks.back(), (ChunkSpan{302, 308}));
}

TEST(DoneOfTotal, LargeValuesDoNotOverflow) {
    EXPECT_EQ(filledWidth(306, 15'000'000, 20'000'000), 229);
    EXPECT_EQ(filledWidth(306, UINT32_MAX, UINT32_MAX), 306);
    EXPECT_EQ(filledWidth(306, UINT32_MAX - 1, UINT32_MAX), 305);
}

TEST(DoneOfTotal, EdgeValues) {
    EXPECT_EQ(filledWidth(306, 5, 0), 0) << "no total, no chunk";
    EXPECT_TRUE(filledChunks(kClassic, 5, 0).empty());
    EXPECT_TRUE(filledChunks(kClassic, 1, 1000).empty()) << "less than a gap's width shows nothing";
    EXPECT_EQ(filledWidth(306, 3000, 2048), 306) << "more done than total stays inside the bar";
    EXPECT_EQ(filledChunks(kClassic, 512, 2048).size(), 8u);
}

}  // namespace
}  // namespace tarnwick::ui
