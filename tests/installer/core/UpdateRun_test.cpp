#include "installer/core/UpdateRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/UserDataFolder.h"
#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The peers (update-peers.sh): nginx on .1, a scripted web peer on .2, and
// the reference rendezvous server with one scenario per address from .10.
std::string peer(int host) {
    return std::string(TARNWICK_UPDATE_NETWORK) + "." + std::to_string(host);
}
const fs::path kPeers = TARNWICK_UPDATE_PEERS;
const fs::path kWebRoot = kPeers / "nginx" / "www";

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class RecordedProgress final : public ProgressSink {
public:
    void setStatusText(const char* text) override { statuses.emplace_back(text); }
    void setProgress(std::uint32_t done, std::uint32_t total) override { progress.emplace_back(done, total); }
    std::vector<std::string> statuses;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
};

// The client package every offer names: a small tree with the client
// program, sized so that a cut can fall anywhere in it.
struct TestPackage {
    std::vector<pack::Entry> entries;
    Bytes resource;
    std::uint32_t unpackedSize = 0;

    TestPackage() {
        std::mt19937 random(7);
        auto noise = [&](std::size_t count) {
            std::string text;
            for (std::size_t i = 0; i < count; ++i)
                text += static_cast<char>('a' + random() % 26);
            return Bytes(text.begin(), text.end());
        };
        entries = {
            {pack::kEntryFolder, 0, "bin", 1600000000, 1500000000, {}},
            {pack::kEntryFile, pack::kFlagClientProgram, "bin\\client-1.7.exe", 1600000000, 1500000000,
             noise(3000)},
            {pack::kEntryFolder, 0, "data", 1600000100, 1500000000, {}},
            {pack::kEntryFile, 0, "data\\strings.txt", 1600000200, 1500000000, noise(2000)},
            {pack::kEntryFile, 0, "empty.txt", 1600000300, 1500000000, {}},
        };
        resource = pack::buildPackage(7, entries, {1, 1u << 16}, 0x10001, 2, {9, 9, 9});
        unpackedSize = static_cast<std::uint32_t>(pack::serializeEntries(0, 0, entries).size());
    }
};

const TestPackage& package() {
    static const TestPackage instance;
    return instance;
}

class UpdateRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Where the system allows, the user's application data is a folder
        // of the suite's own.
        static const test::ScopedUserDataFolder userData;
        // A preferences folder beside the program keeps the download record
        // (and the proxy settings) away from the user's own.
        fs::create_directories(prefsFolder());
        const std::string longName = readText(kPeers / "rendezvous" / "long-url");
        writeAll(kWebRoot / "e2e.bin", package().resource);
        writeAll(kWebRoot / longName.substr(longName.rfind('/') + 1), package().resource);
    }

    void SetUp() override {
        fs::remove(recordPath());
        (void)platform::removeTree(installFolder().string().c_str());
    }

    static std::string readText(const fs::path& path) {
        std::ifstream in(path);
        std::string line;
        std::getline(in, line);
        return line;
    }
    static fs::path prefsFolder() { return fs::path(platform::programFolder()) / "Tarnwick Prefs"; }
    static fs::path recordPath() { return prefsFolder() / "TarnwickArchive"; }
    static fs::path installFolder() { return fs::path(platform::userDataFolder()) / "Tarnwick" / "Tarnwick"; }

    UpdateRun runAgainst(int host, std::uint32_t idleTimeout = kDefaultIdleTimeout) {
        UpdateRun run;
        run.rendezvousHost = peer(host);
        run.progress = &progress_;
        run.replyTimeoutMilliseconds = 2000;
        run.idleTimeoutMilliseconds = idleTimeout;
        runUpdate(run);
        return run;
    }

    // The installed tree holds exactly the package's files, the client under
    // its installed name.
    void expectInstalledTree() {
        for (const auto& entry : package().entries) {
            if (entry.kind != pack::kEntryFile) continue;
            std::string name = entry.name;
            std::replace(name.begin(), name.end(), '\\', '/');
            if (entry.flags & pack::kFlagClientProgram) name = "bin/Tarnwick.exe";
            EXPECT_EQ(readAll(installFolder() / fs::path(name)), entry.content) << name;
        }
        EXPECT_FALSE(fs::exists(installFolder() / "bin" / "client-1.7.exe"));
    }

    // Plays the scripted web peer: each entry one connection.
    void playWeb(const std::vector<std::string>& connections) { web_.play(connections); }
    std::string webRequest(int connection = 0) { return web_.received(connection); }

    RecordedProgress progress_;
    test::RecordedNotices notices_;
    test::ScriptedPeer web_{(kPeers / "scripted-core").string()};
};

TEST_F(UpdateRunTest, InstallsTheOfferedPackageEndToEnd) {
    const UpdateRun run = runAgainst(10);
    ASSERT_EQ(run.outcome, kOutcomeInstalled);
    EXPECT_EQ(fs::path(run.launchPath), installFolder() / "bin" / "Tarnwick.exe");
    EXPECT_EQ(run.installedSize, package().unpackedSize);
    expectInstalledTree();
    EXPECT_FALSE(fs::exists(recordPath()));
    EXPECT_TRUE(notices_.alerts().empty());

    const std::vector<std::string> statuses = {"Connected...", "Downloading new update...",
                                               "Decompressing update...", "Installing update..."};
    EXPECT_EQ(progress_.statuses, statuses);
    const std::uint32_t total = static_cast<std::uint32_t>(package().resource.size() - 16);
    ASSERT_FALSE(progress_.progress.empty());
    EXPECT_EQ(progress_.progress.front(), std::make_pair(0u, total));
    EXPECT_EQ(progress_.progress.back(), std::make_pair(0u, 0u));
}

TEST_F(UpdateRunTest, ServerAnswersGiveTheirOwnOutcomesQuietly) {
    EXPECT_EQ(runAgainst(15).outcome, kOutcomeServiceUnavailable);
    EXPECT_EQ(runAgainst(16).outcome, kOutcomeAutoUpdateProblem);
    EXPECT_EQ(runAgainst(17).outcome, kOutcomeNoUpdate);
    EXPECT_EQ(runAgainst(18).outcome, kOutcomeNoUpdate) << "an offer without a URL";
    EXPECT_TRUE(notices_.alerts().empty());
    EXPECT_FALSE(fs::exists(installFolder() / "bin"));
}

TEST_F(UpdateRunTest, SkipsOneMessageAndFollowsRedirectsWithFreshChallenges) {
    EXPECT_EQ(runAgainst(11).outcome, kOutcomeInstalled) << "one skip";
    EXPECT_EQ(runAgainst(13).outcome, kOutcomeInstalled) << "one redirect";
    EXPECT_EQ(runAgainst(29).outcome, kOutcomeInstalled) << "two redirects in a row";
    EXPECT_EQ(runAgainst(30).outcome, kOutcomeInstalled) << "a 200-character URL";
    expectInstalledTree();
}

TEST_F(UpdateRunTest, ProtocolViolationsFailTheRun) {
    const std::pair<int, const char*> cases[] = {
        {12, "two skips"},
        {14, "redirect with a wrong proof"},
        {19, "challenge with a wrong proof"},
        {20, "124 in reply to the hello"},
        {21, "58 in reply to the hello"},
        {22, "78 in reply to the hello"},
        {23, "3 in reply to the response"},
        {24, "54 in reply to the response"},
        {25, "1 in reply to the response"},
        {34, "84 in reply to the response"},
        {26, "a length word beyond the body buffer"},
        {27, "a challenge too short for its fields"},
    };
    for (const auto& [host, what] : cases)
        EXPECT_EQ(runAgainst(host).outcome, kOutcomeFailed) << what;
    EXPECT_TRUE(notices_.alerts().empty());

    // The server saw no response after its wrongly proved challenge, and the
    // wrongly proved redirect led nowhere.
    std::ifstream log(kPeers / "rendezvous" / "log");
    for (std::string line; std::getline(log, line);) {
        if (line.rfind(peer(19) + " ", 0) == 0) {
            EXPECT_EQ(line.find("response="), std::string::npos) << line;
        }
    }
}

TEST_F(UpdateRunTest, SilentOrAbsentServersFailWithinBoundedTime) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runAgainst(28).outcome, kOutcomeFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(runAgainst(99).outcome, kOutcomeFailed) << "nothing listens there";
}

TEST_F(UpdateRunTest, ServersSendingTheRunRoundInCirclesEndIt) {
    EXPECT_EQ(runAgainst(35).outcome, kOutcomeFailed);
    // The server logs an exchange once the installer has hung up.
    const auto hellos = [] {
        std::ifstream log(kPeers / "rendezvous" / "log");
        int count = 0;
        for (std::string line; std::getline(log, line);)
            count += line.rfind(peer(35) + " ", 0) == 0;
        return count;
    };
    const int expected = 1 + static_cast<int>(kRedirectsPerRun);
    for (int wait = 0; wait < 40 && hellos() < expected; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(hellos(), expected);
}

// A web server that stops in the middle of the body, and one that drips its
// head in line by line: each run ends within the idle timeout, keeping what
// arrived, and the next run resumes and installs.
TEST_F(UpdateRunTest, StallingWebServersEndTheRunAndTheNextResumes) {
    const Bytes& resource = package().resource;
    const std::size_t size = resource.size();
    const std::size_t cut = size / 3;
    std::string drippingHead = "head\nsend HTTP/1.1 206 Partial Content\\r\\n";
    for (int i = 0; i < 40; ++i)
        drippingHead += "\nsleep 100\nsend X-Drip: " + std::to_string(i) + "\\r\\n";

    const auto timedRun = [&](std::uint32_t idleTimeout) {
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = runAgainst(31, idleTimeout).outcome;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(idleTimeout + 2000));
        return outcome;
    };
    playWeb({"head\n" + test::okHeadStep(size) + "\n" + test::bytesStep(resource, 0, cut) + "\nsleep 10000"});
    EXPECT_EQ(timedRun(1000), kOutcomeFailed) << "a stalled body";
    EXPECT_EQ(readAll(recordPath()), Bytes(resource.begin(), resource.begin() + cut));

    playWeb({drippingHead});
    EXPECT_EQ(timedRun(1000), kOutcomeFailed) << "a dripping head";
    EXPECT_EQ(readAll(recordPath()), Bytes(resource.begin(), resource.begin() + cut))
        << "kept for the next run";

    playWeb({"head\n" + test::partialHeadStep(cut, size) + "\n" + test::bytesStep(resource, cut, size)});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeInstalled);
    EXPECT_NE(webRequest().find("Range: bytes=" + std::to_string(cut) + "-\r\n"), std::string::npos);
    expectInstalledTree();
    EXPECT_TRUE(notices_.alerts().empty());
}

TEST_F(UpdateRunTest, DownloadsThatLearnNoHeaderAreAlerted) {
    EXPECT_EQ(runAgainst(33).outcome, kOutcomeFailed) << "404";
    EXPECT_EQ(runAgainst(32).outcome, kOutcomeFailed) << "a version above 65,535 never matches";
    const test::RecordedNotices::Alert notCompleted{"Download Not Completed",
                                                    "The download could not be completed"};
    EXPECT_EQ(notices_.alerts(), std::vector<test::RecordedNotices::Alert>(2, notCompleted));
    EXPECT_FALSE(fs::exists(recordPath()));
}

// A web peer that cuts the body after N bytes of the resource: the record
// holds exactly what arrived once the header is known, and the next run asks
// for the rest and completes.
TEST_F(UpdateRunTest, BrokenTransfersResumeFromTheRecord) {
    const Bytes& resource = package().resource;
    const std::size_t size = resource.size();
    for (std::size_t cut : {std::size_t{5}, std::size_t{16}, std::size_t{17}, size / 2, size - 1}) {
        SCOPED_TRACE("cut after " + std::to_string(cut));
        fs::remove(recordPath());
        (void)platform::removeTree(installFolder().string().c_str());
        test::RecordedNotices notices;

        playWeb({"head\n" + test::okHeadStep(size) + "\n" + test::bytesStep(resource, 0, cut)});
        EXPECT_EQ(runAgainst(31).outcome, kOutcomeFailed);
        if (cut < 16) {
            EXPECT_FALSE(fs::exists(recordPath()));
            EXPECT_EQ(notices.alerts().size(), 1u);
        } else {
            EXPECT_EQ(readAll(recordPath()), Bytes(resource.begin(), resource.begin() + cut));
            EXPECT_TRUE(notices.alerts().empty());
        }

        if (cut >= 16) {
            playWeb(
                {"head\n" + test::partialHeadStep(cut, size) + "\n" + test::bytesStep(resource, cut, size)});
            EXPECT_EQ(runAgainst(31).outcome, kOutcomeInstalled);
            EXPECT_NE(webRequest().find("Range: bytes=" + std::to_string(cut) + "-\r\n"), std::string::npos)
                << webRequest();
        } else {
            EXPECT_EQ(runAgainst(10).outcome, kOutcomeInstalled);
        }
        EXPECT_FALSE(fs::exists(recordPath()));
        expectInstalledTree();
    }
}

TEST_F(UpdateRunTest, RealWebServerServesTheRangeAsked) {
    const Bytes& resource = package().resource;
    playWeb({"head\n" + test::okHeadStep(resource.size()) + "\n" + test::bytesStep(resource, 0, 100)});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeFailed);
    ASSERT_EQ(fs::file_size(recordPath()), 100u);
    EXPECT_EQ(runAgainst(10).outcome, kOutcomeInstalled);
    EXPECT_FALSE(fs::exists(recordPath()));
    expectInstalledTree();
}

TEST_F(UpdateRunTest, ServerIgnoringTheRangeRestartsFromTheHeader) {
    const Bytes& resource = package().resource;
    writeAll(recordPath(), Bytes(resource.begin(), resource.begin() + 40));
    playWeb({"head\n" + test::okHeadStep(resource.size()) + "\n" +
             test::bytesStep(resource, 0, resource.size())});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeInstalled);
    EXPECT_NE(webRequest().find("Range: bytes=40-"), std::string::npos);
    expectInstalledTree();
}

TEST_F(UpdateRunTest, RecordOfAnotherVersionIsIgnoredAndReplaced) {
    Bytes stale(package().resource.begin(), package().resource.begin() + 60);
    stale[3] = 6;  // version 6, the offer is 7
    writeAll(recordPath(), stale);
    const Bytes& resource = package().resource;
    playWeb({"head\n" + test::okHeadStep(resource.size()) + "\n" + test::bytesStep(resource, 0, 30)});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeFailed);
    EXPECT_EQ(webRequest().find("Range:"), std::string::npos);
    EXPECT_EQ(readAll(recordPath()), Bytes(resource.begin(), resource.begin() + 30));
}

// nginx answers a range past the end with 416, so resuming such a record
// would fail on every retry.
TEST_F(UpdateRunTest, RecordHoldingTheWholeBodyIsFetchedAgainFromTheStart) {
    writeAll(recordPath(), package().resource);
    EXPECT_EQ(runAgainst(10).outcome, kOutcomeInstalled);
    EXPECT_FALSE(fs::exists(recordPath()));
    expectInstalledTree();
}

TEST_F(UpdateRunTest, RecordOfOnlyTheHeaderResumesAtSixteen) {
    const Bytes& resource = package().resource;
    writeAll(recordPath(), Bytes(resource.begin(), resource.begin() + 16));
    playWeb({"head\n" + test::partialHeadStep(16, resource.size()) + "\n" +
             test::bytesStep(resource, 16, resource.size())});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeInstalled);
    EXPECT_NE(webRequest().find("Range: bytes=16-\r\n"), std::string::npos);
    expectInstalledTree();
}

}  // namespace
}  // namespace tarnwick
