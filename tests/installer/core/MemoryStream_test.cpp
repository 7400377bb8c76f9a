#include "installer/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

using test::thrownCode;

std::vector<std::uint8_t> contents(MemoryStream& stream) {
    return {stream.data(), stream.data() + stream.size()};
}

TEST(MemoryStreamCodecs, WriteBigEndianIntegersKeepingOnlyTheLowBits) {
    MemoryStream stream;
    stream.writeU8(0x1AB);
    stream.writeU16(0x12345);
    stream.writeU32(0xDEADBEEF);
    EXPECT_EQ(contents(stream), (std::vector<std::uint8_t>{0xAB, 0x23, 0x45, 0xDE, 0xAD, 0xBE, 0xEF}));

    stream.seek(0);
    EXPECT_EQ(stream.readU8(), 0xAB);
    EXPECT_EQ(stream.readU16(), 0x2345);
    EXPECT_EQ(stream.readU32(), 0xDEADBEEFu);
    EXPECT_EQ(stream.position(), 7u);
}

TEST(MemoryStreamCodecs, ShortStringsStoreAtMost255BytesWithoutTerminator) {
    MemoryStream stream;
    const std::string longText(300, 'x');
    stream.writeString(longText.c_str());
    ASSERT_EQ(stream.size(), 256u);
    EXPECT_EQ(stream.data()[0], 0xFF);

    MemoryStream empty;
    empty.writeString("");
    empty.writeString(nullptr);
    EXPECT_EQ(contents(empty), (std::vector<std::uint8_t>{0, 0}));
}

TEST(MemoryStreamCodecs, ReadStringNeedsRoomForTheTerminator) {
    MemoryStream stream;
    stream.writeU8(9);
    stream.writeBytes("123456789", 9);
    stream.writeU8(10);
    stream.writeBytes("0123456789", 10);
    stream.seek(0);

    char buffer[10];
    std::memset(buffer, '#', sizeof buffer);
    stream.readString(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "123456789");

    EXPECT_EQ(thrownCode([&] { stream.readString(buffer, sizeof buffer); }), kStreamFailure);
    EXPECT_EQ(stream.position(), 11u) << "the failing length byte stays consumed";
}

TEST(MemoryStreamCodecs, ReadCStringStopsAtTheFirstZeroWithinCapacity) {
    MemoryStream stream;
    stream.writeBytes("ab\0c\0", 5);
    stream.seek(0);
    char buffer[4];
    stream.readCString(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "ab");

    EXPECT_EQ(thrownCode([&] { stream.readCString(buffer, 1); }), kStreamFailure);
    EXPECT_EQ(stream.position(), 4u) << "the byte read so far stays consumed";
    stream.readCString(buffer, 1);
    EXPECT_STREQ(buffer, "");

    stream.seek(0);
    EXPECT_EQ(thrownCode([&] { stream.readCString(buffer, 0); }), kStreamFailure);
    EXPECT_EQ(stream.position(), 0u) << "capacity 0 fails without reading";
}

TEST(MemoryStreamBounds, SeekAndReadStopAtTheSize) {
    MemoryStream stream;
    stream.writeU16(7);
    stream.seek(2);
    EXPECT_EQ(thrownCode([&] { stream.seek(3); }), kStreamFailure);
    EXPECT_EQ(thrownCode([&] { stream.readU8(); }), kStreamFailure);
    EXPECT_EQ(stream.position(), 2u);

    stream.seek(1);
    std::uint8_t untouched[2] = {0x55, 0x55};
    EXPECT_EQ(thrownCode([&] { stream.readBytes(untouched, 2); }), kStreamFailure);
    EXPECT_EQ(untouched[0], 0x55);
    EXPECT_EQ(stream.position(), 1u);
}

TEST(MemoryStreamBounds, ZeroCountsDoNothingAnywhere) {
    MemoryStream stream;
    stream.readBytes(nullptr, 0);
    stream.writeBytes(nullptr, 0);
    EXPECT_EQ(stream.size(), 0u);
    EXPECT_EQ(stream.position(), 0u);
}

TEST(MemoryStreamGrowth, KeepsContentsAcrossSeveralGrowths) {
    MemoryStream stream;
    for (std::uint32_t i = 0; i < 5000; ++i)
        stream.writeU32(i);
    stream.seek(0);
    for (std::uint32_t i = 0; i < 5000; ++i)
        ASSERT_EQ(stream.readU32(), i);
}

TEST(MemoryStreamGrowth, WritingInsideTheDataDoesNotChangeTheSize) {
    MemoryStream stream;
    stream.writeU32(0);
    stream.seek(1);
    stream.writeU8(9);
    EXPECT_EQ(stream.size(), 4u);
    EXPECT_EQ(stream.position(), 2u);
}

TEST(MemoryStreamAttached, ReadsTheCallersBufferAndNeverGrowsIt) {
    std::uint8_t buffer[100];
    for (int i = 0; i < 100; ++i)
        buffer[i] = static_cast<std::uint8_t>(i);
    MemoryStream stream;
    stream.writeBytes(std::vector<std::uint8_t>(1000).data(), 1000);  // owns a heap block first
    stream.attachBuffer(buffer, sizeof buffer);
    EXPECT_EQ(stream.size(), 100u);
    EXPECT_EQ(stream.position(), 0u);

    std::uint8_t copy[100];
    stream.readBytes(copy, sizeof copy);
    EXPECT_EQ(std::memcmp(copy, buffer, sizeof buffer), 0);
    EXPECT_EQ(thrownCode([&] { stream.writeU8(1); }), kStreamFailure);
    EXPECT_EQ(stream.size(), 100u);

    stream.seek(10);
    stream.writeU8(0xEE);
    EXPECT_EQ(buffer[10], 0xEE) << "writes inside an attached buffer go to the caller's memory";
    EXPECT_EQ(stream.cursor(), buffer + 11);
}

TEST(MemoryStreamCopy, CopiesFromAnotherStreamAtBothPositions) {
    MemoryStream source;
    for (std::uint32_t i = 0; i < 3000; ++i)
        source.writeU32(i);
    source.seek(4);
    MemoryStream target;
    target.writeU8(0xAA);
    target.copyFrom(source, 8000);
    EXPECT_EQ(source.position(), 8004u);
    EXPECT_EQ(target.size(), 8001u);
    target.seek(1);
    EXPECT_EQ(target.readU32(), 1u);
    target.seek(7997);
    EXPECT_EQ(target.readU32(), 2000u);
}

TEST(MemoryStreamCopy, ShortSourceChangesNothing) {
    MemoryStream source;
    source.writeBytes("123456789", 9);
    source.seek(0);
    MemoryStream target;
    EXPECT_EQ(thrownCode([&] { target.copyFrom(source, 10); }), kStreamFailure);
    EXPECT_EQ(target.size(), 0u);
    EXPECT_EQ(target.position(), 0u);
    EXPECT_EQ(source.position(), 0u);
}

TEST(MemoryStreamDigest, HashesTheRangeAndOptionalExtraAndRestoresThePosition) {
    MemoryStream stream;
    stream.writeBytes("xxabcyy", 7);
    std::uint8_t digest[kDigestLength];

    stream.digestRange(2, 3, digest, 0);
    // MD5("abc")
    const std::uint8_t abc[] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(std::memcmp(digest, abc, sizeof abc), 0);
    EXPECT_EQ(stream.position(), 7u);

    MemoryStream withExtra;
    withExtra.writeBytes("abc\0\0\0\1", 7);
    std::uint8_t expected[kDigestLength];
    withExtra.digestRange(0, 7, expected, 0);
    withExtra.digestRange(0, 3, digest, 1);
    EXPECT_EQ(std::memcmp(digest, expected, sizeof digest), 0);

    stream.seek(3);
    EXPECT_EQ(thrownCode([&] { stream.digestRange(5, 3, digest, 0); }), kStreamFailure);
    EXPECT_EQ(thrownCode([&] { stream.digestRange(8, 0, digest, 0); }), kStreamFailure);
    EXPECT_EQ(stream.position(), 3u);
}

}  // namespace
}  // namespace tarnwick
