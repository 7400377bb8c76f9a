#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "InstallerSession.h"
#include "installer/core/Hosts.h"
#include "installer/net/ProtocolText.h"
#include "installer/net/ProxySettings.h"
#include "installer/package/win32/Registration.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/win32/RegistrationTesting.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRunMs = 60000;
constexpr DWORD kDidNotEnd = 0xFFFFFFFF;

// Each test starts with no installation, download record, proxy settings or
// log, the sample client on offer and the Quick Launch folder present. The
// suite runs without a display: a window or an alert that the program tried
// to show could not appear, and the program would not end by itself.
class SilentInstallTest : public StandInProgramTest {
public:
    static void SetUpTestSuite() {
        if (!runsUnderWine()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
        ASSERT_EQ(GetEnvironmentVariableA("DISPLAY", nullptr, 0), 0u)
            << "the suite must run without a display";
        ASSERT_FALSE(package().empty());
        servePackage();
        useUrlRecorder();
    }

    static void TearDownTestSuite() {
        if (!runsUnderWine()) return;
        restoreBrowser();
        ASSERT_TRUE(useRendezvous({}));
    }

protected:
    void SetUp() override {
        if (!runsUnderWine()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
        StandInProgramTest::SetUp();
        setQuickLaunchFolder(true);
        clientRecord = scratch.file("client-record.txt");
        urlRecord = scratch.file("url-record.txt");
        SetEnvironmentVariableA("TARNWICK_CLIENT_RECORD", clientRecord.c_str());
        SetEnvironmentVariableA("TARNWICK_URL_RECORD", urlRecord.c_str());
        removeInstallation();
    }

    void TearDown() override {
        if (!runsUnderWine()) return;
        removeInstallation();
        RegDeleteTreeA(HKEY_CURRENT_USER, kWindowsVersionKey);
        setQuickLaunchFolder(false);
        StandInProgramTest::TearDown();
    }

    // Runs Tarnwick.exe with these arguments to its end; its exit code, or
    // kDidNotEnd when it hung.
    static DWORD runWith(const std::string& arguments) {
        InstallerProcess installer(arguments);
        EXPECT_TRUE(installer.started()) << InstallerProcess::latestState();
        DWORD code = kDidNotEnd;
        if (!installer.waitForExit(kRunMs, code)) return kDidNotEnd;
        return code;
    }

    // Each line must be somewhere in the log, in this order.
    static void expectLogSays(const std::vector<std::string>& lines,
                              const std::string& path = defaultLogPath()) {
        const std::string log = logText(path);
        std::size_t from = 0;
        for (const std::string& line : lines) {
            const std::size_t at = log.find(line, from);
            EXPECT_NE(at, std::string::npos) << "\"" << line << "\" after offset " << from << " in:\n" << log;
            if (at != std::string::npos) from = at + line.size();
        }
    }

    // Nothing registered, nothing started, no address opened.
    void expectNothingDone() const {
        EXPECT_FALSE(keyExists(kUninstallKey));
        EXPECT_FALSE(fs::exists(installedProgram()));
        EXPECT_TRUE(readLines(clientRecord).empty());
        EXPECT_TRUE(readLines(urlRecord).empty());
    }

    static constexpr const char* kWindowsVersionKey = "Software\\Wine\\AppDefaults\\Tarnwick.exe";

    std::string clientRecord;
    std::string urlRecord;
};

TEST_F(SilentInstallTest, InstallsAndRegistersWithOnlyTheStartMenuShortcutAndStartsNothing) {
    ASSERT_TRUE(useRendezvous(offer()));
    ASSERT_EQ(runWith("/silent"), 0u);

    const std::string client = installedProgram();
    ASSERT_TRUE(fs::exists(client));
    EXPECT_EQ(valueOf("UninstallString"), client + " /uninstall");
    EXPECT_EQ(readShortcut(shortcutIn(kProgramsFolder, nullptr, client)).target, client);
    EXPECT_FALSE(fs::exists(shortcutIn(kDesktopFolder, nullptr, client)));
    EXPECT_FALSE(fs::exists(shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, client)));
    EXPECT_FALSE(fs::exists(shortcutIn(kStartupFolder, nullptr, client)));
    // A started client would have written its record by now.
    Sleep(1000);
    EXPECT_TRUE(readLines(clientRecord).empty());
    EXPECT_FALSE(fs::exists(preferencesFolder() + "TarnwickArchive"));

    expectLogSays({"started (silent): /silent", "connecting to 127.0.5.20:16000", "connected to 127.0.5.20",
                   "offered version 7 at http://127.0.6.1/client.bin",
                   "downloading http://127.0.6.1/client.bin",
                   "received " + std::to_string(package().size() - 16) + " bytes", "unpacked",
                   "installed 2 files", "outcome 6 (installed)", "registered " + client, "exit code 0"});
}

TEST_F(SilentInstallTest, OptionsInAnyOrderAndLetterCaseChooseShortcutsAndLaunch) {
    ASSERT_TRUE(useRendezvous(offer()));
    ASSERT_EQ(runWith("/Desktop-Icon /AUTOSTART /silent /quicklaunch-ICON /Launch"), 0u);

    const std::string client = installedProgram();
    for (const std::string& link : {shortcutIn(kProgramsFolder, nullptr, client),
                                    shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, client),
                                    shortcutIn(kDesktopFolder, nullptr, client)})
        EXPECT_EQ(readShortcut(link).target, client) << link;
    EXPECT_EQ(readShortcut(shortcutIn(kStartupFolder, nullptr, client)).arguments, kAutostartArgument);
    EXPECT_EQ(awaitLines(clientRecord, 2), (std::vector<std::string>{"args:", "show:normal"}));
    expectLogSays({"started " + client});
}

// Every way a run ends short of an installation has its own exit code, and
// its log says why; nothing is shown, opened or registered.
TEST_F(SilentInstallTest, EachServerAnswerEndsWithItsExitCodeAndItsReasonInTheLog) {
    struct Case {
        std::vector<std::string> server;
        DWORD exitCode;
        std::vector<std::string> log;
    };
    const std::string statusPage = std::string("http://") + hosts::kStatus + "/?tz=";
    const std::string downloadPage = std::string("http://") + hosts::kWeb + "/download/";
    const std::vector<Case> cases = {
        {{},
         1,
         {"connecting to 127.0.5.20:16000", "failed while connecting to the rendezvous server",
          "exit code 1"}},
        {{"--answer", "54"},
         2,
         {"the server answered: service unavailable (54)", "outcome 2 (service unavailable)",
          "alert \"Tarnwick Service Unavailable\": The Tarnwick service is currently unavailable.",
          "not opening, as nobody watches: " + statusPage, "exit code 2"}},
        {{"--answer", "124"},
         3,
         {"the server answered: auto-update problem (124)",
          "alert \"Auto-update Problem\": There is a problem with the auto-updating.",
          "not opening, as nobody watches: " + downloadPage, "exit code 3"}},
        {{"--answer", "58"},
         4,
         {"the server answered: no update (58)",
          "alert \"Auto-update Problem\": Updates are currently unavailable.", "exit code 4"}},
        {{"--answer", "78"}, 4, {"without a URL (78)", "Updates are currently unavailable.", "exit code 4"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.server.empty() ? "no server" : test.server[1]);
        ASSERT_TRUE(useRendezvous(test.server));
        EXPECT_EQ(runWith("/silent"), test.exitCode);
        expectLogSays(test.log);
        expectNothingDone();
        DeleteFileA(defaultLogPath().c_str());
    }
}

// The web server breaks off half-way: the run fails after it reached the
// server, and keeps what it received for the next, which asks only for the
// rest (the server offering it answers nothing else).
TEST_F(SilentInstallTest, ACutDownloadExitsWithFiveAndTheNextSilentRunResumesIt) {
    const std::vector<std::uint8_t>& bytes = package();
    const std::size_t cut = bytes.size() / 2;
    ScriptedPeer web(windowsPath(peersFolder() + "/scripted"));
    web.play({"head\n" + okHeadStep(bytes.size()) + "\n" + bytesStep(bytes, 0, cut)});
    ASSERT_TRUE(useRendezvous(offer(kPackageName, kScriptedWebServer)));
    ASSERT_EQ(runWith("/silent"), 5u);
    expectLogSays({"connected to 127.0.5.20", "downloading http://127.0.6.4/client.bin",
                   "received " + std::to_string(cut - 16) + " bytes", "failed while downloading",
                   "exit code 5"});
    EXPECT_EQ(readFile(preferencesFolder() + "TarnwickArchive").size(), cut);
    expectNothingDone();

    ASSERT_TRUE(useRendezvous(offer(kResumedPackageName)));
    ASSERT_EQ(runWith("/silent"), 0u);
    EXPECT_EQ(readFile(installedProgram()), readFile(TARNWICK_CLIENT_PATH));
    expectLogSays({"exit code 5", "resuming from byte " + std::to_string(cut),
                   "received " + std::to_string(bytes.size() - cut) + " bytes", "exit code 0"});
}

TEST_F(SilentInstallTest, ABadCommandLineExitsWithSevenNamingTheOptionAndDoesNothing) {
    ASSERT_TRUE(useRendezvous(offer()));
    for (const auto& [arguments, named] :
         std::vector<std::pair<std::string, std::string>>{{"/silent /desktop-icon /bogus", "/bogus"},
                                                          {"/bogus /silent", "/bogus"},
                                                          {"/silent /log", "/log"},
                                                          {"/silent desktop-icon", "desktop-icon"}}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(runWith(arguments), 7u);
        expectLogSays({"unknown option " + named, "exit code 7"});
        EXPECT_EQ(logText().find("connecting"), std::string::npos);
        expectNothingDone();
        DeleteFileA(defaultLogPath().c_str());
    }
}

TEST_F(SilentInstallTest, LogOptionWritesToTheNamedFileInstead) {
    ASSERT_TRUE(useRendezvous({"--answer", "58"}));
    const std::string log = scratch.file("my logs.txt");
    ASSERT_EQ(runWith("/LOG \"" + log + "\" /silent"), 4u);
    expectLogSays({"started (silent)", "exit code 4"}, log);
    EXPECT_FALSE(fs::exists(defaultLogPath()));
}

TEST_F(SilentInstallTest, AnExistingInstallationIsUpdatedInPlaceWithoutAsking) {
    ASSERT_TRUE(useRendezvous(offer()));
    ASSERT_EQ(runWith("/silent"), 0u);
    fs::remove(fs::path(installedProgram()).parent_path() / "readme.txt");
    ASSERT_EQ(runWith("/silent"), 0u);
    EXPECT_TRUE(fs::exists(fs::path(installedProgram()).parent_path() / "readme.txt"));
    expectLogSays({"exit code 0", "updating the installation of " + installedProgram(), "exit code 0"});
}

TEST_F(SilentInstallTest, WindowsOlderThan2000ExitsWithSixAndLogsTheAlert) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kWindowsVersionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("nt40"), 5);
    RegCloseKey(key);
    EXPECT_EQ(runWith("/silent"), 6u);
    expectLogSays(
        {"alert \"Windows 2000 Required\": Tarnwick requires Windows 2000 or later to run.", "exit code 6"});
    expectNothingDone();
}

// Both proxies ask for a password, so the run sends both, and the HTTP
// proxy's in Base64; none of it may reach the log, which still says which
// proxies carried the run.
TEST_F(SilentInstallTest, ProxyPasswordsNeverReachTheLog) {
    {
        ProxySettings settings(preferencesFolder() + "Proxies");
        settings.setUseHttpProxy(true);
        settings.setHttpProxyHost("127.0.6.5");
        settings.setHttpProxyPort(3128);
        settings.setHttpProxyUser("tarnwick-proxy");
        settings.setHttpProxyPassword("proxy-secret-7");
        settings.setUseSocksProxy(true);
        settings.setSocksVersion(5);
        settings.setSocksHost("127.0.6.3");
        settings.setSocksPort(1080);
        settings.setSocksUser("tarnwick-socks");
        settings.setSocksPassword("socks-pass");
        settings.save();
    }
    ASSERT_TRUE(useRendezvous(offer(kProxiedPackageName)));
    ASSERT_EQ(runWith("/silent"), 0u) << logText();

    expectLogSays({"SOCKS 5 proxy 127.0.6.3:1080", "HTTP proxy 127.0.6.5:3128", "exit code 0"});
    const std::string log = logText();
    for (const std::string& secret :
         {std::string("proxy-secret-7"), base64Encode("tarnwick-proxy:proxy-secret-7"),
          std::string("socks-pass"), base64Encode("tarnwick-socks:socks-pass")})
        EXPECT_EQ(log.find(secret), std::string::npos) << secret << " in:\n" << log;
}

}  // namespace
}  // namespace tarnwick::test
