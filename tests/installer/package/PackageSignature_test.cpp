#include "installer/package/PackageSignature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "installer/core/ByteOrder.h"
#include "installer/core/Failure.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Folders.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/TestSigning.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

TEST(PublisherKey, ReadsP256PublicKeysAndNothingElse) {
    const auto key = publisherKeyFromPem(test::kPublisherTestKey.publicPem);
    ASSERT_TRUE(key);
    // The first 8 bytes of `openssl pkey -pubin -outform DER | openssl dgst -sha256`.
    EXPECT_EQ(key->id, (KeyId{0x9b, 0xc1, 0xef, 0x32, 0xc2, 0x01, 0x7e, 0x42}));
    EXPECT_NE(publisherKeyFromPem(test::kOtherTestKey.publicPem)->id, key->id);
    EXPECT_TRUE(
        publisherKeyFromPem(std::string("a comment line\n") + test::kPublisherTestKey.publicPem + "\n"));

    const std::string pem = test::kPublisherTestKey.publicPem;
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"", "empty"},
        {test::kPublisherTestKey.privatePem, "a private key"},
        {pem.substr(0, pem.find("-----END")), "no end line"},
        {std::string(pem).replace(pem.find("MFkw"), 1, "*"), "not base64"},
        {std::string(pem).replace(pem.find("=="), 2, "=A"), "base64 after the padding"},
        {std::string(pem).replace(pem.find("MFkw"), 4, "MFkx"), "not the P-256 key's form"},
        {"-----BEGIN PUBLIC KEY-----\n"
         "MHYwEAYHKoZIzj0CAQYFK4EEACIDYgAErszx6RD3yLCt6b8T8qWSi7EfhhNVJt0J\n"
         "LQ94ZGODfcXqT7jD/V85/fkWwjZZR3J3DeYN2PbWx/nbf9e8GaRvpFbkrh/L/es0\n"
         "+vZeX1dXYi48P4Qdbe6d/1O5SAy5C1EE\n"
         "-----END PUBLIC KEY-----\n",
         "a P-384 key"},
        {"-----BEGIN PUBLIC KEY-----\n"
         "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQDo0t3XKjbV5+6ynncaed1WnRuK\n"
         "5Fhu/5neQllBV9vITdG0wI2EbfS9ExYeMinq5UQKLrMpZLxWNJtVihOa/KhjnYHW\n"
         "LIG/AQjqPVkUx0qTqBTIVpqjuv+hmNPM6L30Al9LRf2TkTV0H9OgDzBfSToCLDCe\n"
         "Kvc+l+SaAP3P8XE+3QIDAQAB\n"
         "-----END PUBLIC KEY-----\n",
         "an RSA key"},
    };
    for (const auto& [text, why] : refused)
        EXPECT_FALSE(publisherKeyFromPem(text)) << why;
}

// The build of the tests names no key: packages go unchecked by default.
TEST(PublisherKey, NoneIsBuiltIntoTheTests) {
    EXPECT_FALSE(builtInPublisherKey());
}

Bytes flipped(Bytes bytes, std::size_t at) {
    bytes.at(at) ^= 0x01;
    return bytes;
}

// Whole packages taken as a download leaves them and then installed, with
// and without a publisher key: what is refused is refused before the install
// folder is touched, with the one alert, and its record goes.
class SignedPackage : public ::testing::Test {
protected:
    SignedPackage() {
        fs::create_directory(installFolder());
        fs::create_directory(recordFolder());
    }

    static const Bytes& unsigned_() { return test::samplePackage().resource; }
    static const Bytes& signed_() {
        static const Bytes bytes = test::signedWith(unsigned_(), test::kPublisherTestKey);
        return bytes;
    }
    // Signed over a trailer of the publisher's own in front of the block.
    static const Bytes& signedOverTrailer() {
        static const Bytes bytes =
            test::signedWith(pack::buildPackage(7, test::samplePackage().entries, {1, 1u << 16}, 0x10001, 2,
                                                {'n', 'o', 't', 'e'}),
                             test::kPublisherTestKey);
        return bytes;
    }

    fs::path installFolder() const { return scratch_.path() / "app"; }
    fs::path recordFolder() const { return scratch_.path() / "prefs"; }

    std::optional<std::int32_t> install(const Bytes& resource, std::optional<PublisherKey> key) {
        UpdateJob job;
        job.setInstallFolder((installFolder().string() + platform::kPathSeparator).c_str());
        job.setRecordFolder((recordFolder().string() + platform::kPathSeparator).c_str());
        job.setPublisherKey(key);
        return test::thrownCode([&] {
            job.takeResource(resource.data(), static_cast<std::uint32_t>(resource.size()), 7);
            job.install();
        });
    }

    test::ScratchDir scratch_;
};

TEST_F(SignedPackage, InstallsOnlyWithTheKeysValidSignature) {
    const PublisherKey key = test::publisherKeyOf(test::kPublisherTestKey);
    const std::size_t packedEnd = 16 + loadBigEndian32(signed_().data() + 8);
    const std::size_t blockAt = signed_().size() - kSignatureBlockLength;
    const std::vector<std::pair<Bytes, std::string>> refused = {
        {unsigned_(), "unsigned"},
        {test::signedWith(unsigned_(), test::kOtherTestKey), "signed with another key"},
        {flipped(signed_(), 1), "header: flags"},
        {flipped(signed_(), 7), "header: unpacked size"},
        {flipped(signed_(), 16), "packed package: its first byte"},
        {flipped(signed_(), packedEnd / 2), "packed package: a middle byte"},
        {flipped(signed_(), packedEnd - 1), "packed package: its last byte"},
        {flipped(signedOverTrailer(), signedOverTrailer().size() - kSignatureBlockLength - 1),
         "trailer: in front of the block"},
        {flipped(signed_(), blockAt), "trailer: the block's magic"},
        {flipped(signed_(), blockAt + 4), "trailer: the block's key id"},
        {flipped(signed_(), blockAt + 12), "trailer: r"},
        {flipped(signed_(), signed_().size() - 1), "trailer: s"},
    };
    const test::RecordedNotices::Alert notVerified = {
        "Update Not Verified", "The downloaded update could not be verified and was not installed."};
    for (const auto& [resource, why] : refused) {
        SCOPED_TRACE(why);
        test::RecordedNotices notices;
        EXPECT_EQ(install(resource, key), kQuietFailure);
        EXPECT_EQ(notices.alerts(), std::vector<test::RecordedNotices::Alert>{notVerified});
        EXPECT_TRUE(fs::is_empty(installFolder()));
    }

    test::RecordedNotices notices;
    EXPECT_EQ(install(signedOverTrailer(), key), std::nullopt);
    EXPECT_EQ(install(signed_(), key), std::nullopt);
    test::expectSampleInstalledIn(installFolder());
    EXPECT_TRUE(notices.alerts().empty());
}

TEST_F(SignedPackage, WithoutAKeyEveryPackageInstallsAsBefore) {
    test::RecordedNotices notices;
    for (const Bytes& resource : {unsigned_(), signed_(), flipped(signed_(), signed_().size() - 1),
                                  test::signedWith(unsigned_(), test::kOtherTestKey)}) {
        fs::remove_all(installFolder());
        EXPECT_EQ(install(resource, std::nullopt), std::nullopt);
        test::expectSampleInstalledIn(installFolder());
    }
    EXPECT_TRUE(notices.alerts().empty());
}

}  // namespace
}  // namespace tarnwick
