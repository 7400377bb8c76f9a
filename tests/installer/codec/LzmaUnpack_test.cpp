#include "installer/codec/LzmaUnpack.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Fixtures made at build time in the build folder, the tests' working folder.
Bytes readFixture(const std::string& name) {
    std::ifstream in("lzma-fixtures/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// xz writes raw LZMA without the five property bytes; they go in front.
Bytes withProperties(std::uint8_t properties, std::uint32_t dictionary, const Bytes& data) {
    Bytes out = {properties, static_cast<std::uint8_t>(dictionary),
                 static_cast<std::uint8_t>(dictionary >> 8), static_cast<std::uint8_t>(dictionary >> 16),
                 static_cast<std::uint8_t>(dictionary >> 24)};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

bool unpacks(const Bytes& packed, Bytes& out) {
    return unpackLzma(packed.data(), packed.size(), out.data(), out.size());
}

// xz ends its data with an end marker, which our own encoder never writes.
TEST(UnpackLzma, DecodesAnIndependentEncodersOutputWithSeveralProperties) {
    const Bytes payload = readFixture("payload.txt");
    ASSERT_GT(payload.size(), 1000u);
    for (const auto& [properties, dictionary] :
         std::vector<std::pair<int, std::uint32_t>>{{93, 1u << 20}, {18, 1u << 16}, {184, 1u << 22}}) {
        const Bytes packed = withProperties(static_cast<std::uint8_t>(properties), dictionary,
                                            readFixture("xz-" + std::to_string(properties) + ".lzma"));
        ASSERT_GT(packed.size(), 5u) << properties;
        Bytes out(payload.size());
        EXPECT_TRUE(unpacks(packed, out)) << properties;
        EXPECT_EQ(out, payload) << properties;
    }
}

TEST(UnpackLzma, WantsExactlyTheInputAndExactlyTheOutput) {
    const Bytes payload = readFixture("payload.txt");
    ASSERT_FALSE(payload.empty());
    const Bytes packed = pack::compressLzma(payload);
    ASSERT_EQ(packed[0], 93);
    Bytes out(payload.size());
    ASSERT_TRUE(unpacks(packed, out));
    EXPECT_EQ(out, payload);

    Bytes extra = packed;
    extra.push_back(0);
    EXPECT_FALSE(unpacks(extra, out)) << "an unused byte after complete output";
    EXPECT_FALSE(unpacks(Bytes(packed.begin(), packed.end() - 1), out)) << "one byte short";
    Bytes longer(payload.size() + 1);
    EXPECT_FALSE(unpacks(packed, longer)) << "output shorter than asked for";
    Bytes shorter(payload.size() - 1);
    EXPECT_FALSE(unpacks(packed, shorter)) << "output longer than asked for";

    Bytes corrupt = packed;
    for (std::size_t i = 5; i < corrupt.size(); i += 7)
        corrupt[i] ^= 0x5A;
    EXPECT_FALSE(unpacks(corrupt, out));
}

// Properties are lc + 9 * (lp + 5 * pb) with lc < 9, lp < 5, pb < 5: 224 is
// the largest that means something.
TEST(UnpackLzma, TakesEveryPropertiesByteUpTo224AndNoneAbove) {
    const Bytes payload(300, 'x');
    Bytes out(payload.size());
    const Bytes largest = pack::compressLzma(payload, {1, 1u << 16, 8, 4, 4});
    ASSERT_EQ(largest[0], 224);
    EXPECT_TRUE(unpacks(largest, out));
    EXPECT_EQ(out, payload);

    Bytes invalid = largest;
    invalid[0] = 225;
    EXPECT_FALSE(unpacks(invalid, out));
    EXPECT_FALSE(unpacks(Bytes(largest.begin(), largest.begin() + 4), out)) << "four property bytes";
}

}  // namespace
}  // namespace tarnwick
