#include "installer/package/LzmaUnpack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tarnwick {
namespace {

// "hello hello hello\n" as raw LZMA (xz --format=raw --lzma1, which ends the
// data with an end marker) behind properties 93 and a 64 KB dictionary.
const std::vector<std::uint8_t> kHelloPacked = {0x5d, 0x00, 0x00, 0x01, 0x00, 0x00, 0x34, 0x19,
                                                0x49, 0xee, 0x8d, 0xe9, 0x4f, 0x7e, 0x21, 0xb6,
                                                0x20, 0xb7, 0xff, 0xff, 0xba, 0x34, 0x00, 0x00};
const char kHello[] = "hello hello hello\n";

TEST(UnpackLzma, DecodesExactlyTheDeclaredSize) {
    std::vector<std::uint8_t> out(sizeof kHello - 1);
    ASSERT_TRUE(unpackLzma(kHelloPacked.data(), kHelloPacked.size(), out.data(), out.size()));
    EXPECT_EQ(std::memcmp(out.data(), kHello, out.size()), 0);
}

TEST(UnpackLzma, RefusesShortOrInvalidProperties) {
    std::uint8_t out[4];
    EXPECT_FALSE(unpackLzma(kHelloPacked.data(), 4, out, sizeof out));
    auto invalid = kHelloPacked;
    invalid[0] = 225;
    EXPECT_FALSE(unpackLzma(invalid.data(), invalid.size(), out, sizeof out));
}
}  // namespace
}  // namespace tarnwick
