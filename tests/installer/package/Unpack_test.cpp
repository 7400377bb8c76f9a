#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "installer/core/Failure.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Folders.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ThrownCode.h"
#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick {
namespace {

using Bytes = std::vector<std::uint8_t>;

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
