#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "installer/core/Failure.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Folders.h"
#include "installer/platform/Tls.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TestSigning.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The update peers (update-peers.sh): nginx on .1 and this suite's scripted
// web peer on .3.
std::string peer(int host) {
    return std::string(TARNWICK_UPDATE_NETWORK) + "." + std::to_string(host);
}
const fs::path kPeers = TARNWICK_UPDATE_PEERS;
const std::string kServed = "/package-download.bin";

void writeAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Each download is a job of its own, as each update run makes one; the
// record and the installed tree live in the test's scratch folder.
class Download : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Proxy settings beside the program: none, and never the user's own.
        fs::create_directories(fs::path(platform::programFolder()) / "Tarnwick Prefs");
        writeAll(kPeers / "nginx" / "www" / kServed.substr(1), resource());
        writeAll(kPeers / "nginx" / "www" / "package-signed.bin", signedResource());
        writeAll(kPeers / "nginx" / "www" / "package-altered.bin", alteredResource());
    }

    Download() {
        fs::create_directory(recordFolder());
        fs::create_directory(installFolder());
    }

    static const Bytes& resource() { return test::samplePackage().resource; }
    static const Bytes& signedResource() {
        static const Bytes bytes = test::signedWith(resource(), test::kPublisherTestKey);
        return bytes;
    }
    // Signed, then one bit of the packed package changed on its way.
    static Bytes alteredResource() {
        Bytes bytes = signedResource();
        bytes[bytes.size() / 2] ^= 0x01;
        return bytes;
    }
    fs::path recordFolder() const { return scratch_.path() / "prefs"; }
    fs::path recordPath() const { return recordFolder() / UpdateJob::kRecordFileName; }
    fs::path installFolder() const { return scratch_.path() / "app"; }
    static std::string nginxUrl() { return "http://" + peer(1) + kServed; }
    static std::string scriptedUrl() { return "http://" + peer(3) + kServed; }

    // Downloads and installs; the code thrown, if any.
    std::optional<std::int32_t> update(const std::string& url, std::uint32_t version = 7,
                                       std::uint32_t idleTimeout = kDefaultIdleTimeout) {
        UpdateJob job;
        job.setRecordFolder((recordFolder().string() + platform::kPathSeparator).c_str());
        job.setInstallFolder((installFolder().string() + platform::kPathSeparator).c_str());
        job.setIdleTimeout(idleTimeout);
        job.setPublisherKey(publisherKey_);
        return test::thrownCode([&] {
            job.download(url.c_str(), version);
            job.install();
        });
    }
    // The same against the scripted peer, timed: a failure must come within
    // the idle timeout and a little more.
    std::optional<std::int32_t> timedUpdate(std::uint32_t idleTimeout) {
        const auto start = std::chrono::steady_clock::now();
        const auto thrown = update(scriptedUrl(), 7, idleTimeout);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(idleTimeout + 2000));
        return thrown;
    }

    void playWeb(const std::vector<std::string>& connections) { web_.play(connections); }
    std::string webRequest() const { return web_.received(0); }
    Bytes record() const { return test::fileBytes(recordPath()); }
    static Bytes firstBytes(std::size_t count) {
        return Bytes(resource().begin(), resource().begin() + count);
    }

    test::ScratchDir scratch_;
    test::RecordedNotices notices_;
    test::ScriptedPeer web_{(kPeers / "scripted-package").string()};
    std::optional<PublisherKey> publisherKey_;
};

// A web server that stops in the middle of the body, and one that drips its
// head in line by line: each download ends within the idle timeout, keeping
// what arrived, and the next one resumes and installs.
TEST_F(Download, StallingWebServersEndItAndTheNextResumes) {
    const std::size_t size = resource().size();
    const std::size_t cut = size / 3;
    std::string drippingHead = "head\nsend HTTP/1.1 206 Partial Content\\r\\n";
    for (int i = 0; i < 40; ++i)
        drippingHead += "\nsleep 100\nsend X-Drip: " + std::to_string(i) + "\\r\\n";

    playWeb(
        {"head\n" + test::okHeadStep(size) + "\n" + test::bytesStep(resource(), 0, cut) + "\nsleep 10000"});
    EXPECT_NE(timedUpdate(1000), std::nullopt) << "a stalled body";
    EXPECT_EQ(record(), firstBytes(cut));

    playWeb({drippingHead});
    EXPECT_NE(timedUpdate(1000), std::nullopt) << "a dripping head";
    EXPECT_EQ(record(), firstBytes(cut)) << "kept for the next download";

    playWeb({"head\n" + test::partialHeadStep(cut, size) + "\n" + test::bytesStep(resource(), cut, size)});
    EXPECT_EQ(update(scriptedUrl()), std::nullopt);
    EXPECT_NE(webRequest().find("Range: bytes=" + std::to_string(cut) + "-\r\n"), std::string::npos);
    test::expectSampleInstalledIn(installFolder());
    EXPECT_TRUE(notices_.alerts().empty());
}

// Once the header is known the update run's retry dialog follows instead.
TEST_F(Download, DownloadsThatLearnNoHeaderAreAlerted) {
    EXPECT_NE(update("http://" + peer(1) + "/missing.bin"), std::nullopt) << "404";
    EXPECT_NE(update(nginxUrl(), 70000), std::nullopt) << "a version above 65,535 never matches";
    const test::RecordedNotices::Alert notCompleted{"Download Not Completed",
                                                    "The download could not be completed"};
    EXPECT_EQ(notices_.alerts(), std::vector<test::RecordedNotices::Alert>(2, notCompleted));
    EXPECT_FALSE(fs::exists(recordPath()));
}

// A web peer that cuts the body after N bytes of the resource: the record
// holds exactly what arrived once the header is known, and the next download
// asks for the rest and completes.
TEST_F(Download, BrokenTransfersResumeFromTheRecord) {
    const std::size_t size = resource().size();
    // Past the header the body is being decoded as it arrives: cuts before,
    // inside and after the decoder's property bytes, and further on.
    for (std::size_t cut : {std::size_t{5}, std::size_t{16}, std::size_t{17}, std::size_t{21},
                            std::size_t{22}, size / 3, size / 2, size - 1}) {
        SCOPED_TRACE("cut after " + std::to_string(cut));
        fs::remove(recordPath());
        fs::remove_all(installFolder());
        fs::create_directory(installFolder());
        test::RecordedNotices notices;

        playWeb({"head\n" + test::okHeadStep(size) + "\n" + test::bytesStep(resource(), 0, cut)});
        EXPECT_NE(update(scriptedUrl()), std::nullopt);
        if (cut < 16) {
            EXPECT_FALSE(fs::exists(recordPath()));
            EXPECT_EQ(notices.alerts().size(), 1u);
            EXPECT_EQ(update(nginxUrl()), std::nullopt);
        } else {
            EXPECT_EQ(record(), firstBytes(cut));
            EXPECT_TRUE(notices.alerts().empty());
            playWeb({"head\n" + test::partialHeadStep(cut, size) + "\n" +
                     test::bytesStep(resource(), cut, size)});
            EXPECT_EQ(update(scriptedUrl()), std::nullopt);
            EXPECT_NE(webRequest().find("Range: bytes=" + std::to_string(cut) + "-\r\n"), std::string::npos)
                << webRequest();
        }
        EXPECT_FALSE(fs::exists(recordPath()));
        test::expectSampleInstalledIn(installFolder());
    }
}

TEST_F(Download, RealWebServerServesTheRangeAsked) {
    playWeb({"head\n" + test::okHeadStep(resource().size()) + "\n" + test::bytesStep(resource(), 0, 100)});
    EXPECT_NE(update(scriptedUrl()), std::nullopt);
    ASSERT_EQ(fs::file_size(recordPath()), 100u);
    EXPECT_EQ(update(nginxUrl()), std::nullopt);
    EXPECT_FALSE(fs::exists(recordPath()));
    test::expectSampleInstalledIn(installFolder());
}

TEST_F(Download, ServerIgnoringTheRangeRestartsFromTheHeader) {
    writeAll(recordPath(), firstBytes(40));
    playWeb({"head\n" + test::okHeadStep(resource().size()) + "\n" +
             test::bytesStep(resource(), 0, resource().size())});
    EXPECT_EQ(update(scriptedUrl()), std::nullopt);
    EXPECT_NE(webRequest().find("Range: bytes=40-"), std::string::npos);
    test::expectSampleInstalledIn(installFolder());
}

TEST_F(Download, RecordOfAnotherVersionIsIgnoredAndReplaced) {
    Bytes stale = firstBytes(60);
    stale[3] = 6;  // version 6, the offer is 7
    writeAll(recordPath(), stale);
    playWeb({"head\n" + test::okHeadStep(resource().size()) + "\n" + test::bytesStep(resource(), 0, 30)});
    EXPECT_NE(update(scriptedUrl()), std::nullopt);
    EXPECT_EQ(webRequest().find("Range:"), std::string::npos);
    EXPECT_EQ(record(), firstBytes(30));
}

// The whole body stays in the record until it is installed, so that an
// install that could not start yet (a client left running) costs no second
// download; the record goes once the install has succeeded.
TEST_F(Download, WholeBodyIsKeptUntilInstalledAndThenUsedWithoutARequest) {
    {
        UpdateJob job;
        job.setRecordFolder((recordFolder().string() + platform::kPathSeparator).c_str());
        EXPECT_EQ(test::thrownCode([&] { job.download(nginxUrl().c_str(), 7); }), std::nullopt);
    }
    EXPECT_EQ(record(), resource());

    // A web peer that would answer no request at all.
    playWeb({"head"});
    EXPECT_EQ(update(scriptedUrl()), std::nullopt);
    EXPECT_EQ(webRequest(), "");
    EXPECT_FALSE(fs::exists(recordPath()));
    test::expectSampleInstalledIn(installFolder());
}

// A whole body in the record that will not install is not used: one damaged
// after it arrived, and one without the key's signature (kept by a run that
// checked nothing, or altered on disk). It goes, and the package is
// downloaded from its start.
TEST_F(Download, WholeRecordedBodyThatWillNotInstallIsDownloadedAfresh) {
    Bytes damaged = resource();
    damaged[damaged.size() / 2] ^= 0x55;
    const struct {
        const char* what;
        bool keyed;
        const Bytes& recorded;
        const Bytes& served;
    } cases[] = {{"damaged", false, damaged, resource()}, {"unsigned", true, resource(), signedResource()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.keyed) publisherKey_ = test::publisherKeyOf(test::kPublisherTestKey);
        fs::remove_all(installFolder());
        fs::create_directory(installFolder());
        writeAll(recordPath(), c.recorded);
        playWeb({"head\n" + test::okHeadStep(c.served.size()) + "\n" +
                 test::bytesStep(c.served, 0, c.served.size())});
        EXPECT_EQ(update(scriptedUrl()), std::nullopt);
        EXPECT_NE(webRequest(), "");
        EXPECT_EQ(webRequest().find("Range:"), std::string::npos) << webRequest();
        EXPECT_FALSE(fs::exists(recordPath()));
        test::expectSampleInstalledIn(installFolder());
    }
    EXPECT_TRUE(notices_.alerts().empty());
}

// A body whose stream is damaged early is found out while it still
// arrives: the peer, which would then stall, is not waited for, nothing is
// installed and no record is kept to resume from.
TEST_F(Download, DamagedStreamIsFoundWhileItArrives) {
    Bytes damaged = resource();
    for (std::size_t i = 40; i < damaged.size() / 4; i += 7)
        damaged[i] ^= 0x5A;
    playWeb({"head\n" + test::okHeadStep(damaged.size()) + "\n" +
             test::bytesStep(damaged, 0, damaged.size() * 3 / 4) + "\nsleep 10000"});
    EXPECT_EQ(update(scriptedUrl(), 7, 5000), kGeneralFailure);
    EXPECT_FALSE(fs::exists(recordPath()));
    EXPECT_TRUE(fs::is_empty(installFolder()));
    EXPECT_TRUE(notices_.alerts().empty());
}

TEST_F(Download, RecordOfOnlyTheHeaderResumesAtSixteen) {
    writeAll(recordPath(), firstBytes(16));
    playWeb({"head\n" + test::partialHeadStep(16, resource().size()) + "\n" +
             test::bytesStep(resource(), 16, resource().size())});
    EXPECT_EQ(update(scriptedUrl()), std::nullopt);
    EXPECT_NE(webRequest().find("Range: bytes=16-\r\n"), std::string::npos);
    test::expectSampleInstalledIn(installFolder());
}

// With a publisher key, a body whose signature does not hold is dropped as
// soon as it is whole: nothing is installed, and no record is left to resume
// or reuse, not even the one an earlier transfer of it had saved.
TEST_F(Download, AlteredSignedPackagesAreDroppedWithTheirRecord) {
    publisherKey_ = test::publisherKeyOf(test::kPublisherTestKey);
    const std::string altered = "http://" + peer(1) + "/package-altered.bin";
    const Bytes alteredBytes = alteredResource();
    const std::vector<std::pair<std::optional<Bytes>, std::string>> cases = {
        {std::nullopt, altered},
        {Bytes(alteredBytes.begin(), alteredBytes.begin() + 100), altered},
        {std::nullopt, nginxUrl()},  // unsigned
    };
    for (const auto& [record, url] : cases) {
        SCOPED_TRACE(url + (record ? ", resumed" : ""));
        test::RecordedNotices notices;
        if (record) writeAll(recordPath(), *record);
        EXPECT_EQ(update(url), kQuietFailure);
        EXPECT_EQ(notices.alerts(),
                  (std::vector<test::RecordedNotices::Alert>{
                      {"Update Not Verified",
                       "The downloaded update could not be verified and was not installed."}}));
        EXPECT_FALSE(fs::exists(recordPath()));
        EXPECT_TRUE(fs::is_empty(installFolder()));
    }

    EXPECT_EQ(update("http://" + peer(1) + "/package-signed.bin"), std::nullopt);
    EXPECT_FALSE(fs::exists(recordPath()));
    test::expectSampleInstalledIn(installFolder());
}

// Over https a download resumes as over http: the body continues from the
// record's end, where the first progress report already stands.
TEST_F(Download, ResumesOverHttps) {
    ASSERT_TRUE(platform::trustRootsAlsoFrom((kPeers / "tls" / "ca.pem").string().c_str()));
    struct FirstProgress final : ProgressSink {
        void setStatusText(const char*) override {}
        void setProgress(std::uint32_t done, std::uint32_t total) override {
            if (total != 0 && !first) first = done;
        }
        std::optional<std::uint32_t> first;
    } progress;
    const std::uint32_t held = static_cast<std::uint32_t>(resource().size() / 2) - 16;
    writeAll(recordPath(), firstBytes(16 + held));
    UpdateJob job;
    job.setRecordFolder((recordFolder().string() + platform::kPathSeparator).c_str());
    job.setInstallFolder((installFolder().string() + platform::kPathSeparator).c_str());
    job.setProgressSink(&progress);
    EXPECT_EQ(test::thrownCode([&] {
                  job.download(("HTTPS://" + peer(4) + kServed).c_str(), 7);
                  job.install();
              }),
              std::nullopt);
    EXPECT_EQ(progress.first, held);
    EXPECT_FALSE(fs::exists(recordPath()));
    test::expectSampleInstalledIn(installFolder());
    EXPECT_TRUE(notices_.alerts().empty());
}

}  // namespace
}  // namespace tarnwick
