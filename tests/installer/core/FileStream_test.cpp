#include "installer/core/FileStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "installer/core/MemoryStream.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

using test::thrownCode;

class FileStreamTest : public ::testing::Test {
protected:
    std::string writeFile(const std::string& name, const std::string& bytes) {
        const auto path = scratch_.file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    test::ScratchDir scratch_;
};

TEST_F(FileStreamTest, RoundTripsARecord) {
    const auto path = scratch_.file("record");
    {
        FileStream out(path.c_str(), "wb");
        out.writeU32(0x50524F58);
        out.writeString("proxy.example");
        out.writeU16(1080);
    }
    FileStream in(path.c_str(), "rb");
    EXPECT_EQ(in.size(), 4u + 1 + 13 + 2);
    EXPECT_EQ(in.readU32(), 0x50524F58u);
    char host[64];
    in.readString(host, sizeof host);
    EXPECT_STREQ(host, "proxy.example");
    EXPECT_EQ(in.readU16(), 1080);
    EXPECT_EQ(thrownCode([&] { in.readU8(); }), kStreamFailure);
}

TEST_F(FileStreamTest, EmptyFileHasSizeZeroAndCannotBeRead) {
    FileStream in(writeFile("empty", "").c_str(), "rb");
    EXPECT_EQ(in.size(), 0u);
    EXPECT_EQ(thrownCode([&] { in.readU8(); }), kStreamFailure);
}

TEST_F(FileStreamTest, FailedOpenKeepsThePreviousFileAttached) {
    FileStream in(writeFile("kept", "\x01\x02").c_str(), "rb");
    const auto missing = scratch_.file("no/such/file");
    EXPECT_EQ(thrownCode([&] { in.open(missing.c_str(), "rb"); }), kStreamFailure);
    EXPECT_TRUE(in.isOpen());
    EXPECT_EQ(in.readU16(), 0x0102);
}

TEST_F(FileStreamTest, AttachingNullClosesAndFails) {
    FileStream in(writeFile("closed", "abc").c_str(), "rb");
    EXPECT_EQ(thrownCode([&] { in.attach(nullptr); }), kStreamFailure);
    EXPECT_FALSE(in.isOpen());
    EXPECT_EQ(in.size(), 0u);
}

// Writes only fill the C library's buffer; on a full disk it is the close
// that finds the bytes could not be written.
TEST_F(FileStreamTest, CloseReportsBytesThatNeverReachedTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "natively only: Wine reports no failure for writes to /dev/full";
#else
    const char* const fullDisk = "/dev/full";
    FileStream out(fullDisk, "wb");
    out.writeString("lost");
    EXPECT_EQ(thrownCode([&] { out.close(); }), kStreamFailure);
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(out.size(), 0u);
    out.close();  // closed already: nothing to report

    // Attaching another file reports the unwritten bytes of the current one
    // too, and closes the new handle rather than leaking it.
    out.open(fullDisk, "wb");
    out.writeString("lost");
    EXPECT_EQ(thrownCode([&] { out.attach(std::fopen(writeFile("next", "x").c_str(), "rb")); }),
              kStreamFailure);
    EXPECT_FALSE(out.isOpen());
#endif
}

TEST_F(FileStreamTest, ClosedStreamAcceptsZeroCountsAndRefusesTheRest) {
    FileStream closed;
    closed.readBytes(nullptr, 0);
    closed.writeBytes(nullptr, 0);
    EXPECT_EQ(thrownCode([&] { closed.writeU8(1); }), kStreamFailure);
    EXPECT_EQ(closed.position(), 0u);
}

TEST_F(FileStreamTest, ReadOnlyFileRefusesWritesWithoutMovingThePosition) {
    FileStream in(writeFile("readonly", "abc").c_str(), "rb");
    EXPECT_EQ(thrownCode([&] { in.writeU8(1); }), kStreamFailure);
    EXPECT_EQ(in.position(), 0u);
}

TEST_F(FileStreamTest, GeneralCopyChecksTheSourceBeforeCopying) {
    FileStream source(writeFile("source", std::string(9, 's')).c_str(), "rb");
    FileStream target(scratch_.file("target").c_str(), "wb");
    EXPECT_EQ(thrownCode([&] { target.copyFrom(source, 10); }), kStreamFailure);
    EXPECT_EQ(target.size(), 0u);
    EXPECT_EQ(source.position(), 0u);
}

TEST_F(FileStreamTest, GeneralCopyMovesDataInChunks) {
    std::string bytes(10000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    FileStream source(writeFile("big", bytes).c_str(), "rb");
    MemoryStream middle;
    middle.copyFrom(source, 10000);
    middle.seek(0);
    {
        FileStream target(scratch_.file("copy").c_str(), "wb");
        target.copyFrom(middle, 10000);
    }
    std::ifstream copied(scratch_.file("copy"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), bytes);
}

TEST_F(FileStreamTest, GeneralDigestMatchesTheMemoryForm) {
    std::string bytes(9000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    FileStream file(writeFile("digest", bytes).c_str(), "rb");
    MemoryStream memory;
    memory.writeBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));

    std::uint8_t fromFile[kDigestLength], fromMemory[kDigestLength];
    file.seek(17);
    file.digestRange(100, 8800, fromFile, 0x01020304);
    memory.digestRange(100, 8800, fromMemory, 0x01020304);
    EXPECT_EQ(std::memcmp(fromFile, fromMemory, kDigestLength), 0);
    EXPECT_EQ(file.position(), 17u);

    EXPECT_EQ(thrownCode([&] { file.digestRange(100, 8901, fromFile, 0); }), kStreamFailure);
    EXPECT_EQ(file.position(), 17u);
}

}  // namespace
}  // namespace tarnwick
