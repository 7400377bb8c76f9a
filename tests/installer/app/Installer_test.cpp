#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "InstallerSession.h"
#include "installer/core/Hosts.h"
#include "installer/core/ServiceAddresses.h"
#include "installer/net/ProxySettings.h"
#include "installer/package/win32/Registration.h"
#include "installer/ui/ResourceIds.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/win32/RegistrationTesting.h"
#include "tools/tarnwick-driver/WindowDriver.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;
using namespace driver;

constexpr int kWindowMs = 20000;
constexpr int kRunMs = 60000;
constexpr const char kOptionsCaption[] = "Tarnwick - Install";
constexpr const char kAlreadyInstalledCaption[] = "Tarnwick - Already Installed";
constexpr const char kNoResponseCaption[] = "No Response From Tarnwick Server";
constexpr const char kProgressCaption[] = "Downloading latest Tarnwick update...";

// A window that must come; when it does not, the failure says what the
// screen showed instead and what became of the installer.
HWND awaitWindow(const char* caption, int timeoutMs) {
    const HWND window = waitForWindow(caption, timeoutMs);
    if (window == nullptr)
        ADD_FAILURE() << "no \"" << caption << "\" window; shown: " << visibleWindowCaptions()
                      << "; the installer: " << InstallerProcess::latestState();
    return window;
}

// Each test starts with no installation, no download record, no record of
// started programs or opened addresses, the sample client as the package on
// offer, and the Quick Launch folder present (Windows makes it; Wine does
// not, and the installer never does).
class InstallerTest : public StandInProgramTest {
public:
    static void SetUpTestSuite() {
        if (!runsUnderWine()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
        ASSERT_FALSE(package().empty());
        servePackage();
        // The browser is a recorder of the addresses it is asked to open.
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
        quickLaunchExisted_ = fs::exists(quickLaunchFolder());
        setQuickLaunchFolder(true);
        clientRecord = scratch.file("client-record.txt");
        urlRecord = scratch.file("url-record.txt");
        SetEnvironmentVariableA("TARNWICK_CLIENT_RECORD", clientRecord.c_str());
        SetEnvironmentVariableA("TARNWICK_URL_RECORD", urlRecord.c_str());
        SetEnvironmentVariableA("TARNWICK_CLIENT_ANSWER", "yes");
        removeInstallation();
    }

    void TearDown() override {
        if (!runsUnderWine()) return;
        removeInstallation();
        RegDeleteTreeA(HKEY_CURRENT_USER, kWindowsVersionKey);
        setQuickLaunchFolder(quickLaunchExisted_);
        StandInProgramTest::TearDown();
    }

    static std::string quickLaunchFolder() {
        return specialFolder(kAppDataFolder) + "\\" + kQuickLaunchSubfolder;
    }

    // An uninstall entry as a finished installation leaves it, for the
    // stand-in program of the scratch folder.
    void registerStandIn() {
        writeUninstallEntry(program, 1000);
        ASSERT_EQ(valueOf("InstallLocation"), installFolder);
    }

    // Waits for the program to end by itself, as it must on every path.
    void expectEndsWithZero(InstallerProcess& installer) {
        DWORD code = 1;
        ASSERT_TRUE(installer.waitForExit(kRunMs, code)) << "the installer did not end";
        EXPECT_EQ(code, 0u);
    }

    // The program ran to its end with 0 and started the installed client once,
    // without arguments, in a normal window.
    void expectInstalledAndStarted(InstallerProcess& installer) {
        expectEndsWithZero(installer);
        EXPECT_TRUE(fs::exists(installedProgram()));
        EXPECT_EQ(startedClients(), (std::vector<std::string>{"args:", "show:normal"}));
    }

    // The scripted web server sends half of the package, holds the download
    // for three seconds, long enough for the test to act meanwhile, then
    // sends the rest or breaks off.
    static void holdDownload(bool completes) {
        const std::vector<std::uint8_t>& bytes = package();
        const std::size_t half = bytes.size() / 2;
        std::string steps =
            "head\n" + okHeadStep(bytes.size()) + "\n" + bytesStep(bytes, 0, half) + "\nsleep 3000";
        if (completes) steps += std::string("\n") + bytesStep(bytes, half, bytes.size());
        ScriptedPeer(windowsPath(peersFolder() + "/scripted")).play({steps});
    }

    // A person starts to move the progress window with the keyboard and holds
    // it: the system's own move loop then runs on the installer's window
    // thread and dispatches whatever arrives there until the move ends.
    // Returns once that loop is seen running.
    void moveProgressWindow() {
        const HWND progress = awaitWindow(kProgressCaption, kWindowMs);
        ASSERT_NE(progress, nullptr);
        PostMessageA(progress, WM_SYSCOMMAND, SC_MOVE, 0);
        const DWORD thread = GetWindowThreadProcessId(progress, nullptr);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        for (int waited = 0; waited < kWindowMs; waited += 20) {
            if (GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE) != 0) return;
            Sleep(20);
        }
        FAIL() << "the progress window is not being moved";
    }

    // The "No Response" dialog that a run against a silent server ends in.
    HWND waitForNoResponse() { return awaitWindow(kNoResponseCaption, kRunMs); }

    // Chooses Install with the given options in the options dialog, whose
    // boxes are all ticked to begin with.
    void install(bool desktop, bool quickLaunch, bool startup) {
        const HWND dialog = awaitWindow(kOptionsCaption, kWindowMs);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(isChecked(dialog, IDC_DESKTOP_SHORTCUT));
        EXPECT_TRUE(isChecked(dialog, IDC_QUICK_LAUNCH_SHORTCUT));
        EXPECT_TRUE(isChecked(dialog, IDC_START_WITH_WINDOWS));
        setChecked(dialog, IDC_DESKTOP_SHORTCUT, desktop);
        setChecked(dialog, IDC_QUICK_LAUNCH_SHORTCUT, quickLaunch);
        setChecked(dialog, IDC_START_WITH_WINDOWS, startup);
        click(dialog, IDOK);
    }

    // Cancel in the options dialog, confirmed.
    void cancelInstallation() {
        const HWND dialog = awaitWindow(kOptionsCaption, kWindowMs);
        ASSERT_NE(dialog, nullptr);
        click(dialog, IDCANCEL);
        const HWND confirmation = awaitWindow("Cancel Tarnwick Installation?", kWindowMs);
        ASSERT_NE(confirmation, nullptr);
        click(confirmation, IDOK);
    }

    // Clicks this button of the already-installed dialog.
    void answerAlreadyInstalled(int button) {
        const HWND dialog = awaitWindow(kAlreadyInstalledCaption, kWindowMs);
        ASSERT_NE(dialog, nullptr);
        click(dialog, button);
    }

    // The alert with this title and text; closes it.
    void expectAlert(const char* title, const char* text) {
        const HWND alert = awaitWindow(title, kWindowMs);
        ASSERT_NE(alert, nullptr) << title;
        EXPECT_EQ(itemText(alert, IDC_TEXT), text);
        click(alert, IDOK);
    }

    std::vector<std::string> startedClients() const { return awaitLines(clientRecord, 2); }
    std::vector<std::string> openedUrls() const { return awaitLines(urlRecord, 1); }
    // For checks that nothing was started: the client would have had time.
    std::vector<std::string> startedClientsSoFar() const { return readLines(clientRecord); }

    // From the "No Response" dialog of a run that found no server, through
    // its Proxies... button, the settings that fill enters in the dialog;
    // then Connect with the rendezvous server offering the package NAME.
    template <typename Fill>
    void connectThroughProxy(const char* name, Fill fill) {
        ASSERT_TRUE(useRendezvous({}));
        InstallerProcess installer;
        install(false, false, false);
        const HWND noResponse = waitForNoResponse();
        ASSERT_NE(noResponse, nullptr);
        click(noResponse, IDC_RETRY_OR_REMOVE);  // Proxies...
        const HWND proxies = awaitWindow("Proxy Settings", kWindowMs);
        ASSERT_NE(proxies, nullptr);
        fill(proxies);
        click(proxies, IDOK);
        ASSERT_TRUE(waitForWindowGone(proxies, kWindowMs));

        ASSERT_TRUE(useRendezvous(offer(name)));
        click(noResponse, IDOK);
        expectInstalledAndStarted(installer);
    }

    static constexpr const char* kWindowsVersionKey = "Software\\Wine\\AppDefaults\\Tarnwick.exe";

    std::string clientRecord;
    std::string urlRecord;

private:
    bool quickLaunchExisted_ = false;
};

TEST_F(InstallerTest, FirstInstallationWithEveryOptionRegistersAndStartsTheClient) {
    ASSERT_TRUE(useRendezvous(offer()));
    InstallerProcess installer;
    ASSERT_TRUE(installer.started());
    install(true, true, true);
    expectEndsWithZero(installer);

    const std::string client = installedProgram();
    ASSERT_TRUE(fs::exists(client));
    EXPECT_TRUE(fs::exists(fs::path(client).parent_path() / "readme.txt"));
    // Started once, without arguments, in a normal window.
    EXPECT_EQ(startedClients(), (std::vector<std::string>{"args:", "show:normal"}));

    EXPECT_EQ(valueOf("UninstallString"), client + " /uninstall");
    EXPECT_EQ(valueOf("InstallLocation"), fs::path(client).parent_path().string());
    EXPECT_TRUE(keyExists(kInstalledSizeCacheKey));
    for (const std::string& link : {shortcutIn(kProgramsFolder, nullptr, client),
                                    shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, client),
                                    shortcutIn(kDesktopFolder, nullptr, client)}) {
        const ShortcutFacts facts = readShortcut(link);
        EXPECT_EQ(facts.target, client) << link;
        EXPECT_EQ(facts.arguments, "") << link;
        EXPECT_EQ(facts.description, kProductDescription) << link;
    }
    const ShortcutFacts startup = readShortcut(shortcutIn(kStartupFolder, nullptr, client));
    EXPECT_EQ(startup.target, client);
    EXPECT_EQ(startup.arguments, kAutostartArgument);
    EXPECT_TRUE(readLines(urlRecord).empty());

    // Asked in person, the run still leaves its story in the log.
    const std::string log = logText();
    for (const char* line :
         {"started (interactive): no options",
          "install chosen: desktop icon yes, Quick Launch icon yes, start with Windows yes",
          "connected to 127.0.5.20", "offered version 7 at http://127.0.6.1/client.bin", "installed 2 files",
          "outcome 6 (installed)", "started C:"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in:\n" << log;
}

TEST_F(InstallerTest, FirstInstallationWithNoOptionMakesOnlyTheStartMenuShortcut) {
    ASSERT_TRUE(useRendezvous(offer()));
    InstallerProcess installer;
    install(false, false, false);
    expectEndsWithZero(installer);

    const std::string client = installedProgram();
    EXPECT_EQ(readShortcut(shortcutIn(kProgramsFolder, nullptr, client)).target, client);
    EXPECT_FALSE(fs::exists(shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, client)));
    EXPECT_FALSE(fs::exists(shortcutIn(kDesktopFolder, nullptr, client)));
    EXPECT_FALSE(fs::exists(shortcutIn(kStartupFolder, nullptr, client)));
    EXPECT_EQ(startedClients(), (std::vector<std::string>{"args:", "show:normal"}));
}

TEST_F(InstallerTest, ConfirmedCancelOfTheOptionsEndsWithoutInstalling) {
    ASSERT_TRUE(useRendezvous(offer()));
    InstallerProcess installer;
    cancelInstallation();
    expectEndsWithZero(installer);
    EXPECT_FALSE(keyExists(kUninstallKey));
    EXPECT_FALSE(fs::exists(installedProgram()));
}

// Without /silent nothing changes: what the program does not know is only
// logged, and the person is asked as ever.
TEST_F(InstallerTest, UnknownOptionsWithoutSilentAreLoggedAndIgnored) {
    InstallerProcess installer("/bogus /desktop-icon");
    cancelInstallation();
    expectEndsWithZero(installer);
    const std::string log = logText();
    EXPECT_NE(log.find("unknown option /bogus"), std::string::npos) << log;
    EXPECT_NE(log.find("the installation was cancelled"), std::string::npos) << log;
}

TEST_F(InstallerTest, LaunchStartsTheInstalledProgramWithoutArguments) {
    registerStandIn();
    fs::copy_file(TARNWICK_CLIENT_PATH, program, fs::copy_options::overwrite_existing);
    InstallerProcess installer;
    answerAlreadyInstalled(IDOK);
    expectEndsWithZero(installer);
    EXPECT_EQ(startedClients(), (std::vector<std::string>{"args:", "show:normal"}));
}

TEST_F(InstallerTest, RemoveRunsTheWholeUninstallCommand) {
    registerStandIn();
    fs::copy_file(TARNWICK_CLIENT_PATH, program, fs::copy_options::overwrite_existing);
    InstallerProcess installer;
    answerAlreadyInstalled(IDC_RETRY_OR_REMOVE);
    expectEndsWithZero(installer);
    // Only " /uninstall" makes the client remove its registration.
    for (int waited = 0; waited < 20000 && keyExists(kUninstallKey); waited += 50)
        Sleep(50);
    EXPECT_FALSE(keyExists(kUninstallKey));
}

TEST_F(InstallerTest, CancelInTheInstalledDialogDoesNothing) {
    registerStandIn();
    InstallerProcess installer;
    answerAlreadyInstalled(IDCANCEL);
    expectEndsWithZero(installer);
    EXPECT_TRUE(keyExists(kUninstallKey));
    EXPECT_TRUE(startedClientsSoFar().empty());
}

TEST_F(InstallerTest, AnEntryWhoseFolderOrProgramIsGoneCountsAsNoInstallation) {
    registerStandIn();
    fs::remove(program);  // the folder stays, the program does not
    {
        InstallerProcess installer;
        cancelInstallation();
        expectEndsWithZero(installer);
    }
    fs::remove_all(installFolder);
    InstallerProcess installer;
    ASSERT_NE(awaitWindow(kOptionsCaption, kWindowMs), nullptr);
}

TEST_F(InstallerTest, ServiceUnavailableAlertsThenOpensTheStatusPageWithTheUtcOffset) {
    ASSERT_TRUE(useRendezvous({"--answer", "54"}));
    InstallerProcess installer;
    install(true, true, true);
    expectAlert("Tarnwick Service Unavailable",
                "The Tarnwick service is currently unavailable. A web page will open with more information.");
    expectEndsWithZero(installer);
    const std::string statusPage =
        std::string("http://") + hosts::kStatus + "/?tz=" + std::to_string(utcOffsetSeconds());
    EXPECT_EQ(openedUrls(), (std::vector<std::string>{statusPage}));
    EXPECT_FALSE(keyExists(kUninstallKey));
    const std::string log = logText();
    EXPECT_NE(
        log.find("alert \"Tarnwick Service Unavailable\": The Tarnwick service is currently unavailable."),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("opening " + statusPage), std::string::npos) << log;
}

TEST_F(InstallerTest, AutoUpdateProblemAlertsThenOpensTheDownloadPage) {
    ASSERT_TRUE(useRendezvous({"--answer", "124"}));
    InstallerProcess installer;
    install(true, true, true);
    expectAlert("Auto-update Problem",
                "There is a problem with the auto-updating. Please visit the Tarnwick website to update your "
                "version of Tarnwick manually.");
    expectEndsWithZero(installer);
    EXPECT_EQ(openedUrls(), (std::vector<std::string>{std::string("http://") + hosts::kWeb + "/download/"}));
}

TEST_F(InstallerTest, NoUpdateAndAnOfferWithoutAddressOnlyAlert) {
    for (const char* answer : {"58", "78"}) {
        SCOPED_TRACE(answer);
        ASSERT_TRUE(useRendezvous({"--answer", answer}));
        InstallerProcess installer;
        install(true, true, true);
        expectAlert("Auto-update Problem",
                    "Updates are currently unavailable. Please try again a little later.");
        expectEndsWithZero(installer);
    }
    EXPECT_TRUE(readLines(urlRecord).empty());
    EXPECT_FALSE(keyExists(kUninstallKey));
}

TEST_F(InstallerTest, ConnectAfterNoResponseRunsAgainAndInstalls) {
    ASSERT_TRUE(useRendezvous({}));
    InstallerProcess installer;
    install(true, false, false);
    const HWND dialog = waitForNoResponse();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(useRendezvous(offer()));
    click(dialog, IDOK);
    expectInstalledAndStarted(installer);
}

// A broken download ends in "No Response"; Connect starts a new run that
// asks only for the rest (the server offering it answers nothing else).
TEST_F(InstallerTest, ConnectAfterABrokenDownloadResumesFromTheRecord) {
    const std::vector<std::uint8_t>& bytes = package();
    const std::size_t cut = bytes.size() / 2;
    ScriptedPeer web(windowsPath(peersFolder() + "/scripted"));
    web.play({"head\n" + okHeadStep(bytes.size()) + "\n" + bytesStep(bytes, 0, cut)});
    ASSERT_TRUE(useRendezvous(offer(kPackageName, kScriptedWebServer)));
    InstallerProcess installer;
    install(false, false, false);
    const HWND dialog = waitForNoResponse();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(readFile(preferencesFolder() + "TarnwickArchive"),
              std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));

    ASSERT_TRUE(useRendezvous(offer(kResumedPackageName)));
    click(dialog, IDOK);
    expectInstalledAndStarted(installer);
    EXPECT_EQ(readFile(installedProgram()), readFile(TARNWICK_CLIENT_PATH));
    EXPECT_FALSE(fs::exists(preferencesFolder() + "TarnwickArchive"));
}

// The download is held long enough for a move of the progress window to be
// under way when the run ends; the end must reach the installer all the same.
TEST_F(InstallerTest, ARunThatEndsWhileTheProgressWindowIsMovedStillFinishes) {
    holdDownload(true);
    ASSERT_TRUE(useRendezvous(offer(kPackageName, kScriptedWebServer)));
    InstallerProcess installer;
    install(false, false, true);
    moveProgressWindow();
    expectInstalledAndStarted(installer);
    EXPECT_EQ(valueOf("UninstallString"), installedProgram() + " /uninstall");
    EXPECT_EQ(readShortcut(shortcutIn(kStartupFolder, nullptr, installedProgram())).arguments,
              kAutostartArgument);
}

// A run that breaks off while the window is moved shows "No Response" from
// inside the move; Connect's new run ends there too, and the program with it.
TEST_F(InstallerTest, NoResponseAndConnectWhileTheProgressWindowIsMovedStillFinish) {
    holdDownload(false);
    ASSERT_TRUE(useRendezvous(offer(kPackageName, kScriptedWebServer)));
    InstallerProcess installer;
    install(false, false, false);
    moveProgressWindow();
    const HWND dialog = waitForNoResponse();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(useRendezvous(offer(kResumedPackageName)));
    click(dialog, IDOK);
    expectInstalledAndStarted(installer);
    EXPECT_TRUE(keyExists(kUninstallKey));
}

TEST_F(InstallerTest, AnHttpProxySetInTheProxySettingsCarriesTheDownload) {
    connectThroughProxy(kProxiedPackageName, [](HWND proxies) {
        ASSERT_FALSE(isChecked(proxies, IDC_USE_HTTP_PROXY)) << "a click is to tick it";
        click(proxies, IDC_USE_HTTP_PROXY);
        SetDlgItemTextA(proxies, IDC_HTTP_HOST, "127.0.6.2");
        SetDlgItemTextA(proxies, IDC_HTTP_PORT, "3128");
    });
}

TEST_F(InstallerTest, ASocks5ProxyWithAPasswordSetInTheProxySettingsCarriesTheRun) {
    connectThroughProxy(kSocksedPackageName, [](HWND proxies) {
        ASSERT_FALSE(isChecked(proxies, IDC_USE_SOCKS_PROXY)) << "a click is to tick it";
        click(proxies, IDC_USE_SOCKS_PROXY);
        click(proxies, IDC_SOCKS5);
        SetDlgItemTextA(proxies, IDC_SOCKS_HOST, "127.0.6.3");
        SetDlgItemTextA(proxies, IDC_SOCKS_PORT, "1080");
        SetDlgItemTextA(proxies, IDC_SOCKS_USER, "tarnwick-socks");
        SetDlgItemTextA(proxies, IDC_SOCKS_PASSWORD, "socks-pass");
    });
}

TEST_F(InstallerTest, ExitAfterNoResponseEndsWithZero) {
    ASSERT_TRUE(useRendezvous({}));
    InstallerProcess installer;
    install(true, true, true);
    const HWND dialog = waitForNoResponse();
    ASSERT_NE(dialog, nullptr);
    click(dialog, IDCANCEL);
    expectEndsWithZero(installer);
    EXPECT_FALSE(keyExists(kUninstallKey));
}

TEST_F(InstallerTest, WindowsOlderThan2000GetsOnlyTheAlert) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kWindowsVersionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("nt40"), 5);
    RegCloseKey(key);
    registerStandIn();  // not even an installation is looked for

    InstallerProcess installer;
    expectAlert("Windows 2000 Required", "Tarnwick requires Windows 2000 or later to run.");
    expectEndsWithZero(installer);
    EXPECT_EQ(FindWindowA(nullptr, kAlreadyInstalledCaption), nullptr);
    EXPECT_TRUE(startedClientsSoFar().empty());
}

}  // namespace
}  // namespace tarnwick::test
