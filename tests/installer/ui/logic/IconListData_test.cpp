#include "installer/ui/logic/IconListData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tarnwick::ui {
namespace {

std::vector<std::uint8_t> resourceWith(std::uint32_t size, std::uint32_t count,
                                       std::vector<std::uint8_t> rest) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t word : {size, count}) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
    }
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

TEST(IconListHeader, IsLittleEndian) {
    const auto bytes = resourceWith(0x80, 0x0102, {});
    const auto header = readIconListHeader(bytes.data(), bytes.size());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->imageSize, 0x80u);
    EXPECT_EQ(header->imageCount, 0x0102u);
    EXPECT_EQ(stripBytes(*header), 0x80u * 0x0102u * 0x80u * 4u);
}

TEST(IconListHeader, EmptyOrShortOrHugeListsAreRefused) {
    const auto noImages = resourceWith(128, 0, {});
    EXPECT_FALSE(readIconListHeader(noImages.data(), noImages.size()));
    const auto noSize = resourceWith(0, 3, {});
    EXPECT_FALSE(readIconListHeader(noSize.data(), noSize.size()));
    EXPECT_FALSE(readIconListHeader(noImages.data(), 7));
    EXPECT_FALSE(readIconListHeader(nullptr, 0));
    // s*n*s*4 is 2^32 here: in 32 bits it would wrap to 0.
    const auto wrapping = resourceWith(0x8000, 1, {});
    EXPECT_FALSE(readIconListHeader(wrapping.data(), wrapping.size()));
    // And s*s*4 is 2^64 here: in 64 bits it wraps to 0 as well.
    for (std::uint32_t size : {0x80000000u, 0xFFFFFFFFu}) {
        const auto huge = resourceWith(size, 3, {});
        EXPECT_FALSE(readIconListHeader(huge.data(), huge.size())) << size;
    }
    const auto manyImages = resourceWith(128, 0xFFFFFFFF, {});
    EXPECT_FALSE(readIconListHeader(manyImages.data(), manyImages.size()));
}

TEST(IconStrip, ARestOfExactlyTheStripsLengthIsCopiedEvenIfItLooksPacked) {
    // Two 1x1 images; the first byte 0x5D is what a packed strip starts with.
    const std::vector<std::uint8_t> pixels = {0x5D, 0, 0, 0x80, 1, 2, 3, 4};
    const auto bytes = resourceWith(1, 2, pixels);
    const auto header = readIconListHeader(bytes.data(), bytes.size());
    ASSERT_TRUE(header);
    std::vector<std::uint8_t> strip(stripBytes(*header));
    fillIconStrip(bytes.data(), bytes.size(), *header, strip.data());
    EXPECT_EQ(strip, pixels);
}

TEST(IconStrip, AnyOtherLengthIsUnpacked) {
    // Four opaque pixels packed with properties 0x5D and a 4 KiB dictionary;
    // the packer wrote an end marker after them.
    const auto bytes = resourceWith(2, 1, {0x5D, 0x00, 0x10, 0x00, 0x00, 0x00, 0x08, 0x08, 0xc8, 0x4e, 0xc5,
                                           0xf2, 0x86, 0x7f, 0x87, 0xff, 0xff, 0xe2, 0x07, 0x80, 0x00});
    const auto header = readIconListHeader(bytes.data(), bytes.size());
    ASSERT_TRUE(header);
    std::vector<std::uint8_t> strip(stripBytes(*header), 0);
    fillIconStrip(bytes.data(), bytes.size(), *header, strip.data());
    const std::vector<std::uint8_t> pixel = {0x10, 0x20, 0x30, 0xFF};
    for (std::size_t i = 0; i < strip.size(); i += 4) {
        EXPECT_EQ(std::vector<std::uint8_t>(strip.begin() + i, strip.begin() + i + 4), pixel) << i;
    }
}

TEST(IconStrip, APackedStripThatFailsLeavesTheImageTransparent) {
    const auto bytes = resourceWith(2, 1, {0x5D, 0, 0, 1, 0, 0xFF, 0xFF});
    const auto header = readIconListHeader(bytes.data(), bytes.size());
    ASSERT_TRUE(header);
    std::vector<std::uint8_t> strip(stripBytes(*header), 0);
    fillIconStrip(bytes.data(), bytes.size(), *header, strip.data());
    EXPECT_EQ(strip.size(), 16u);
    for (std::uint8_t byte : strip)
        EXPECT_EQ(byte, 0);
}

}  // namespace
}  // namespace tarnwick::ui
