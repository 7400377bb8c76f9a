#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installer/core/Failure.h"
#include "installer/package/LzmaUnpack.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Folders.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ThrownCode.h"
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
    Bytes invalid = packed;
    invalid[0] = 225;
    EXPECT_FALSE(unpacks(invalid, out));
}

class JobUnpack : public ::testing::Test {
protected:
    JobUnpack() { job_.setInstallFolder((scratch_.path().string() + platform::kPathSeparator).c_str()); }

    std::optional<std::int32_t> installPacked(const Bytes& packed, std::uint32_t unpackedSize,
                                              std::uint8_t flags = 0) {
        const Bytes resource = pack::buildResource(9, flags, unpackedSize, packed, {1, 2, 3});
        return test::thrownCode([&] {
            job_.takeResource(resource.data(), static_cast<std::uint32_t>(resource.size()), 9);
            job_.install();
        });
    }

    test::ScratchDir scratch_;
    UpdateJob job_;
    test::RecordedNotices notices_;
};

TEST_F(JobUnpack, DecodesThePackageAndIgnoresTheTrailer) {
    const Bytes unpacked = pack::serializeEntries(0, 0, {{pack::kEntryFile, 0, "f.txt", 0, 0, {'o', 'k'}}});
    EXPECT_EQ(installPacked(pack::compressLzma(unpacked), static_cast<std::uint32_t>(unpacked.size())),
              std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(scratch_.path() / "f.txt"));
    EXPECT_EQ(job_.unpackedSize(), unpacked.size());
}

TEST_F(JobUnpack, UndecodableOrScrambledPackagesFailWithoutAnAlert) {
    const Bytes unpacked = pack::serializeEntries(0, 0, {});
    const Bytes packed = pack::compressLzma(unpacked);
    const auto size = static_cast<std::uint32_t>(unpacked.size());
    Bytes invalid = packed;
    invalid[0] = 225;
    EXPECT_EQ(installPacked(invalid, size), kGeneralFailure);
    Bytes extra = packed;
    extra.push_back(0);
    EXPECT_EQ(installPacked(extra, size), kGeneralFailure);
    EXPECT_EQ(installPacked(packed, size + 1), kGeneralFailure);
    EXPECT_EQ(installPacked(packed, size, 0x01), kGeneralFailure) << "scrambled, and no key is known";
    EXPECT_EQ(installPacked(packed, size, 0x02), std::nullopt) << "other flag bits mean nothing";
    EXPECT_TRUE(notices_.alerts().empty());
}

}  // namespace
}  // namespace tarnwick
