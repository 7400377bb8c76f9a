#include "installer/update/UpdateRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"
#include "installer/platform/Tls.h"
#include "tests/support/HeldFile.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/SamplePackage.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TestSigning.h"
#include "tests/support/UserDataFolder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The peers (update-peers.sh): nginx on .1, this suite's scripted web peer on
// .2, and the reference rendezvous server with one scenario per address from
// .10.
std::string peer(int host) {
    return std::string(TARNWICK_UPDATE_NETWORK) + "." + std::to_string(host);
}
const fs::path kPeers = TARNWICK_UPDATE_PEERS;
const fs::path kWebRoot = kPeers / "nginx" / "www";

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
        writeAll(kWebRoot / "e2e.bin", test::samplePackage().resource);
        writeAll(kWebRoot / "e2e-signed.bin",
                 test::signedWith(test::samplePackage().resource, test::kPublisherTestKey));
        writeAll(kWebRoot / longName.substr(longName.rfind('/') + 1), test::samplePackage().resource);
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

    UpdateRun runAgainst(int host, std::uint32_t idleTimeout = kDefaultIdleTimeout,
                         std::optional<PublisherKey> publisherKey = std::nullopt) {
        UpdateRun run;
        run.publisherKey = publisherKey;
        run.rendezvousHost = peer(host);
        run.progress = &progress_;
        run.replyTimeoutMilliseconds = 2000;
        run.idleTimeoutMilliseconds = idleTimeout;
        run.log = &log_;
        runUpdate(run);
        return run;
    }

    // Each line must be somewhere in the log, in this order.
    static void expectLogSays(const std::string& path, const std::vector<std::string>& lines) {
        std::ifstream in(path, std::ios::binary);
        const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::size_t from = 0;
        for (const std::string& line : lines) {
            const std::size_t at = log.find(line, from);
            EXPECT_NE(at, std::string::npos) << "\"" << line << "\" after offset " << from << " in:\n" << log;
            if (at != std::string::npos) from = at + line.size();
        }
    }
    void expectLogSays(const std::vector<std::string>& lines) const { expectLogSays(log_.path(), lines); }

    static void expectInstalledTree() { test::expectSampleInstalledIn(installFolder()); }

    // Plays the scripted web peer: each entry one connection.
    void playWeb(const std::vector<std::string>& connections) { web_.play(connections); }
    std::string webRequest(int connection = 0) { return web_.received(connection); }

    RecordedProgress progress_;
    test::RecordedNotices notices_;
    test::ScratchDir scratch_;
    Log log_{scratch_.file("Tarnwick.log")};
    test::ScriptedPeer web_{(kPeers / "scripted-update").string()};
};

TEST_F(UpdateRunTest, InstallsTheOfferedPackageEndToEnd) {
    const UpdateRun run = runAgainst(10);
    ASSERT_EQ(run.outcome, kOutcomeInstalled);
    EXPECT_EQ(fs::path(run.launchPath), installFolder() / "bin" / "Tarnwick.exe");
    EXPECT_EQ(run.installedSize, test::samplePackage().unpackedSize);
    expectInstalledTree();
    EXPECT_FALSE(fs::exists(recordPath()));
    EXPECT_TRUE(notices_.alerts().empty());

    const std::vector<std::string> statuses = {"Connected...", "Downloading new update...",
                                               "Decompressing update...", "Installing update..."};
    EXPECT_EQ(progress_.statuses, statuses);
    const std::uint32_t total = static_cast<std::uint32_t>(test::samplePackage().resource.size() - 16);
    ASSERT_FALSE(progress_.progress.empty());
    EXPECT_EQ(progress_.progress.front(), std::make_pair(0u, total));
    EXPECT_EQ(progress_.progress.back(), std::make_pair(0u, 0u));
}

TEST_F(UpdateRunTest, TheLogFollowsTheRunStepByStep) {
    const UpdateRun run = runAgainst(13);
    ASSERT_EQ(run.outcome, kOutcomeInstalled);
    EXPECT_TRUE(run.reachedServer);
    const std::string url = "http://" + peer(1) + "/e2e.bin";
    expectLogSays({"connecting to " + peer(13) + ":16000", "connected to " + peer(13),
                   "redirected to " + peer(10), "connecting to " + peer(10) + ":16000",
                   "connected to " + peer(10), "offered version 7 at " + url, "downloading " + url,
                   "received " + std::to_string(test::samplePackage().resource.size() - 16) + " bytes in ",
                   "unpacked " + std::to_string(test::samplePackage().unpackedSize) + " bytes in ",
                   "installing into " + installFolder().string(), "installed ", " files (", "bytes) in ",
                   "the client program is " + run.launchPath});
}

// Whether a server was reached tells a machine that cannot connect anywhere
// from a run that failed later; the log says where each ended.
TEST_F(UpdateRunTest, TheLogSaysWhereARunEndedAndWhetherAServerWasReached) {
    const UpdateRun nobody = runAgainst(99);
    EXPECT_FALSE(nobody.reachedServer);
    expectLogSays({"connecting to " + peer(99), "failed while connecting to the rendezvous server: code "});
    EXPECT_TRUE(runAgainst(15).reachedServer);
    EXPECT_TRUE(runAgainst(19).reachedServer);
    expectLogSays({"the server answered: service unavailable (54)", "connected to " + peer(19),
                   "the server's challenge carries a wrong proof",
                   "failed while talking to the rendezvous server: code -3"});
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

// The download's own failures are the package suite's; here, that the run
// hands the job its idle timeout, ends as a failure and leaves the record for
// the next run, which resumes.
TEST_F(UpdateRunTest, AStalledDownloadEndsTheRunAndTheNextRunResumes) {
    const Bytes& resource = test::samplePackage().resource;
    const std::size_t size = resource.size();
    const std::size_t cut = size / 3;
    playWeb({"head\n" + test::okHeadStep(size) + "\n" + test::bytesStep(resource, 0, cut) + "\nsleep 10000"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runAgainst(31, 1000).outcome, kOutcomeFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(test::fileBytes(recordPath()), Bytes(resource.begin(), resource.begin() + cut));

    playWeb({"head\n" + test::partialHeadStep(cut, size) + "\n" + test::bytesStep(resource, cut, size)});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeInstalled);
    EXPECT_NE(webRequest().find("Range: bytes=" + std::to_string(cut) + "-\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(recordPath()));
    expectInstalledTree();
    EXPECT_TRUE(notices_.alerts().empty());
}

// A client left running: the run changes nothing and says why, keeping the
// package it downloaded; once the client has ended, the next run installs
// that package without asking the web server again.
TEST_F(UpdateRunTest, AClientLeftRunningChangesNothingAndTheRetryNeedsNoDownload) {
    ASSERT_EQ(runAgainst(10).outcome, kOutcomeInstalled);
    // An installation that the package would change everywhere.
    const fs::path strings = installFolder() / "data" / "strings.txt";
    writeAll(strings, {'o', 'l', 'd'});
    fs::remove(installFolder() / "empty.txt");
    const fs::path client = installFolder() / "bin" / "Tarnwick.exe";
    test::HeldFile running(client);
    const Bytes clientBefore = test::fileBytes(client);

    const Bytes& resource = test::samplePackage().resource;
    playWeb({"head\n" + test::okHeadStep(resource.size()) + "\n" +
             test::bytesStep(resource, 0, resource.size())});
    const UpdateRun refused = runAgainst(31);
    EXPECT_EQ(refused.outcome, kOutcomeFailed);
    EXPECT_EQ(refused.launchPath, "");
    const test::RecordedNotices::Alert closeIt = {"Tarnwick Is Running", "Close Tarnwick, then try again."};
    EXPECT_EQ(notices_.alerts(), std::vector{closeIt});
    EXPECT_EQ(test::fileBytes(strings), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(fs::exists(installFolder() / "empty.txt"));
    EXPECT_EQ(test::fileBytes(client), clientBefore);
    EXPECT_EQ(test::fileBytes(recordPath()), resource);
    // Support learns which file, and the step.
    expectLogSays({"another program holds " + client.string(), "failed while installing: code -2"});

    running.release();
    // A web peer that would answer no request at all.
    playWeb({"head"});
    EXPECT_EQ(runAgainst(31).outcome, kOutcomeInstalled);
    EXPECT_EQ(webRequest(), "");
    EXPECT_FALSE(fs::exists(recordPath()));
    expectInstalledTree();
    EXPECT_EQ(notices_.alerts().size(), 1u);
    expectLogSays({"using the whole package kept from an earlier run"});
}

TEST_F(UpdateRunTest, ADownloadThatFindsNoPackageFailsTheRunWithItsAlert) {
    EXPECT_EQ(runAgainst(33).outcome, kOutcomeFailed) << "404";
    ASSERT_EQ(notices_.alerts().size(), 1u);
    EXPECT_EQ(notices_.alerts()[0].title, "Download Not Completed");
    EXPECT_FALSE(fs::exists(installFolder() / "bin"));
}

#ifdef TARNWICK_UPDATE_TOOL
// The tool writes the same lines as a run, its start, alerts and outcome
// besides, after what an earlier run left there.
TEST_F(UpdateRunTest, TheUpdateToolLogsItsRunWhenAsked) {
    const std::string log = scratch_.file("tool.log");
    writeAll(log, {'e', 'a', 'r', 'l', 'i', 'e', 'r', '\n'});
    const std::string command = std::string(TARNWICK_UPDATE_TOOL) + " --host " + peer(15) +
                                " --reply-timeout 2000 --log '" + log + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
    expectLogSays(
        log,
        {"earlier\n", "tarnwick-update started: --host " + peer(15) + " --reply-timeout 2000 --log " + log,
         "connected to " + peer(15), "the server answered: service unavailable (54)",
         "outcome 2 (service unavailable)", "alert \"Tarnwick Service Unavailable\"", "opening http://"});

    const std::string installed = scratch_.file("installed.log");
    EXPECT_EQ(std::system((std::string(TARNWICK_UPDATE_TOOL) + " --host " + peer(10) + " --log '" +
                           installed + "' >/dev/null 2>&1")
                              .c_str()),
              0);
    expectLogSays(installed, {"offered version ", "received ", "installed ", "outcome 6 (installed)"});
}
#endif

// With a publisher key a run installs only a package with its signature; any
// other ends the run as a failure after its own alert, having written nothing
// and kept no record. Without a key the signature is trailer like any other.
TEST_F(UpdateRunTest, APublisherKeyAdmitsOnlyPackagesWithItsSignature) {
    const PublisherKey key = test::publisherKeyOf(test::kPublisherTestKey);
    // .10 offers the unsigned package, .36 the signed one.
    EXPECT_EQ(runAgainst(10, kDefaultIdleTimeout, key).outcome, kOutcomeFailed);
    const test::RecordedNotices::Alert notVerified = {
        "Update Not Verified", "The downloaded update could not be verified and was not installed."};
    EXPECT_EQ(notices_.alerts(), std::vector{notVerified});
    EXPECT_FALSE(fs::exists(installFolder()));
    EXPECT_FALSE(fs::exists(recordPath()));

    EXPECT_EQ(runAgainst(36, kDefaultIdleTimeout, key).outcome, kOutcomeInstalled);
    expectInstalledTree();
    (void)platform::removeTree(installFolder().string().c_str());
    EXPECT_EQ(runAgainst(36).outcome, kOutcomeInstalled);
    expectInstalledTree();
    EXPECT_EQ(notices_.alerts().size(), 1u);
}

// .37 offers the package at an https address of a server whose certificate
// comes from the test CA.
TEST_F(UpdateRunTest, InstallsOverHttpsFromAServerItCanVerify) {
    ASSERT_TRUE(platform::trustRootsAlsoFrom((kPeers / "tls" / "ca.pem").string().c_str()));
    EXPECT_EQ(runAgainst(37).outcome, kOutcomeInstalled);
    expectInstalledTree();
    EXPECT_TRUE(notices_.alerts().empty());
}

}  // namespace
}  // namespace tarnwick
