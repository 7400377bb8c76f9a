#include "installer/codec/LzmaUnpack.h"
#include "installer/codec/LzmaStream.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    Bytes out(5 + data.size());
    out[0] = properties;
    for (int i = 0; i < 4; ++i)
        out[1 + i] = static_cast<std::uint8_t>(dictionary >> (8 * i));
    std::copy(data.begin(), data.end(), out.begin() + 5);
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

// Input arriving in pieces of any size, as a download delivers it, decodes
// to the same output as all at once, and a damaged stream is found before
// its end has arrived.
TEST(LzmaStreamDecoder, DecodesInputAsItArrives) {
    const Bytes payload = readFixture("payload.txt");
    const Bytes ours = pack::compressLzma(payload);
    const Bytes theirs = withProperties(93, 1u << 20, readFixture("xz-93.lzma"));
    for (const Bytes* packed : {&ours, &theirs}) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, packed->size()}) {
            SCOPED_TRACE(piece);
            Bytes out(payload.size());
            LzmaStreamDecoder decoder(out.data(), out.size());
            for (std::size_t received = 0; received < packed->size();) {
                received = std::min(packed->size(), received + piece);
                ASSERT_TRUE(decoder.decodeReceived(packed->data(), received));
            }
            EXPECT_TRUE(decoder.finish(packed->data(), packed->size()));
            EXPECT_EQ(out, payload);
        }
    }

    Bytes corrupt = ours;
    for (std::size_t i = 5; i < corrupt.size() / 2; i += 7)
        corrupt[i] ^= 0x5A;
    Bytes out(payload.size());
    LzmaStreamDecoder decoder(out.data(), out.size());
    std::size_t received = 0;
    while (received < corrupt.size() && decoder.decodeReceived(corrupt.data(), received + 1))
        ++received;
    EXPECT_LT(received, corrupt.size() - 1) << "found only at the end";
    EXPECT_FALSE(decoder.finish(corrupt.data(), corrupt.size()));
}

// The smallest output and a large one, arriving as a network delivers it.
TEST(LzmaStreamDecoder, DecodesOneByteAndAHundredMegabytes) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{100} << 20}) {
        SCOPED_TRACE(size);
        Bytes payload(size);
        for (std::size_t i = 0; i < size; ++i)
            payload[i] = static_cast<std::uint8_t>(i % 251 < 200 ? 'a' + i % 7 : i * 31);
        const Bytes packed = pack::compressLzma(payload, {1, 1u << 20});
        Bytes out(size);
        LzmaStreamDecoder decoder(out.data(), out.size());
        for (std::size_t received = 0; received < packed.size();) {
            received = std::min(packed.size(), received + 65536);
            ASSERT_TRUE(decoder.decodeReceived(packed.data(), received));
        }
        EXPECT_TRUE(decoder.finish(packed.data(), packed.size()));
        EXPECT_TRUE(out == payload);
    }
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
