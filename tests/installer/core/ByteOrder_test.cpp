#include "installer/core/ByteOrder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace tarnwick {
namespace {

// Odd offsets, so that a helper reading through a wider pointer would be
// caught by the sanitizers; values whose bytes all differ, so that a swapped
// pair or half shows.
TEST(ByteOrder, LittleEndianLaysOutLowByteFirstAtAnyAlignment) {
    std::array<std::uint8_t, 11> bytes{};
    storeLittleEndian64(bytes.data() + 1, 0x0807060504030201ULL);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 11>{0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0}));
    EXPECT_EQ(loadLittleEndian32(bytes.data() + 1), 0x04030201u);
    EXPECT_EQ(loadLittleEndian32(bytes.data() + 5), 0x08070605u);
    EXPECT_EQ(loadLittleEndian16(bytes.data() + 3), 0x0403u);

    storeLittleEndian32(bytes.data() + 3, 0xA1B2C3D4u);
    storeLittleEndian16(bytes.data() + 9, 0xE5F6u);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 11>{0, 1, 2, 0xD4, 0xC3, 0xB2, 0xA1, 7, 8, 0xF6, 0xE5}));
}

TEST(ByteOrder, BigEndianLaysOutHighByteFirstAtAnyAlignment) {
    std::array<std::uint8_t, 7> bytes{};
    storeBigEndian32(bytes.data() + 1, 0xA1B2C3D4u);
    storeBigEndian16(bytes.data() + 5, 0xE5F6u);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 7>{0, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}));
    EXPECT_EQ(loadBigEndian32(bytes.data() + 1), 0xA1B2C3D4u);
    EXPECT_EQ(loadBigEndian16(bytes.data() + 5), 0xE5F6u);
    // Bytes with the top bit set must not sign-extend into the higher ones.
    EXPECT_EQ(loadLittleEndian32(bytes.data() + 3), 0xF6E5D4C3u);
}

}  // namespace
}  // namespace tarnwick
