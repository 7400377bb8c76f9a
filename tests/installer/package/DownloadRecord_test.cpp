#include "installer/package/DownloadRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "installer/core/MemoryStream.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

// A record of version 7: header fields as given, then held body bytes.
std::vector<std::uint8_t> record(std::uint32_t unpacked, std::uint32_t packed, std::uint32_t trailer,
                                 std::uint32_t held, std::uint16_t version = 7) {
    MemoryStream stream;
    stream.writeU8(1);
    stream.writeU8(0x40);
    stream.writeU16(version);
    stream.writeU32(unpacked);
    stream.writeU32(packed);
    stream.writeU32(trailer);
    std::vector<std::uint8_t> bytes(stream.data(), stream.data() + stream.size());
    bytes.resize(bytes.size() + held, 0xAB);
    return bytes;
}

DownloadRecordHeader read(std::vector<std::uint8_t> bytes, MemoryStream& stream) {
    stream.attachBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return readDownloadRecordHeader(stream, 7);
}

TEST(DownloadRecord, APartialOrWholeBodyIsReadyToBeRead) {
    for (std::uint32_t held : {0u, 30u, 50u}) {
        std::vector<std::uint8_t> bytes = record(100, 40, 10, held);
        MemoryStream stream;
        stream.attachBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        const DownloadRecordHeader header = readDownloadRecordHeader(stream, 7);
        EXPECT_EQ(header.flags, 0x40);
        EXPECT_EQ(header.unpackedSize, 100u);
        EXPECT_EQ(header.packedSize, 40u);
        EXPECT_EQ(header.trailerSize, 10u);
        EXPECT_EQ(header.held, held);
        EXPECT_EQ(stream.position(), 16u) << "the stream stands at the first body byte";
    }
}

TEST(DownloadRecord, UnusableRecordsAreRefused) {
    MemoryStream stream;
    std::vector<std::uint8_t> otherFormat = record(100, 40, 10, 30);
    otherFormat[0] = 2;
    const std::vector<std::vector<std::uint8_t>> refused = {
        otherFormat,
        record(100, 40, 10, 30, 8),        // another version
        record(0, 40, 10, 30),             // no unpacked size
        record(100, 0, 10, 5),             // no packed size
        record(100, 0xFFFFFFF0, 0x20, 1),  // a total beyond 32 bits
        record(100, 40, 10, 51),           // more than the body
        std::vector<std::uint8_t>(15, 1),  // shorter than a header
    };
    for (std::size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(test::thrownCode([&] { (void)read(refused[i], stream); }), kGeneralFailure) << i;
}

}  // namespace
}  // namespace tarnwick
