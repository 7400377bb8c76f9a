#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "installer/package/win32/Registration.h"
#include "installer/platform/win32/UniqueHandle.h"
#include "installer/platform/win32/WideText.h"
#include "tests/support/Utf8Names.h"
#include "tests/support/win32/RegistrationTesting.h"

namespace tarnwick::test {
namespace {

// Runs a command line with one environment variable set (or replaced) and
// gives its exit code, or -1 when it did not start or end in time. The
// command line is UTF-8.
int run(const std::string& commandLine, const char* variable, const std::string& value) {
    char previous[MAX_PATH] = {};
    const bool hadPrevious = GetEnvironmentVariableA(variable, previous, MAX_PATH) != 0;
    SetEnvironmentVariableA(variable, value.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = platform::toUtf16(commandLine);
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process);
    SetEnvironmentVariableA(variable, hadPrevious ? previous : nullptr);
    if (!started) return -1;
    const platform::UniqueHandle thread(process.hThread);
    const platform::UniqueHandle child(process.hProcess);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(child.get(), 20000) == WAIT_OBJECT_0) GetExitCodeProcess(child.get(), &code);
    return static_cast<int>(code);
}

bool eventuallyGone(const std::string& path) {
    for (int wait = 0; wait < 150; ++wait) {
        if (!std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// The sample client installed as the installer would leave it: the program,
// a data file and a subfolder, registered with every option.
class SampleClient : public RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        ASSERT_TRUE(std::filesystem::copy_file(std::filesystem::absolute(TARNWICK_CLIENT_PATH), program,
                                               std::filesystem::copy_options::overwrite_existing));
        std::filesystem::create_directory(installFolder + "\\data");
        std::ofstream(installFolder + "\\data\\maps.dat") << "maps";
        setQuickLaunchFolder(true);
        finishInstallation(program, 1, InstallOptions{}, nullptr);
        ASSERT_TRUE(readUninstallValue("UninstallString", uninstallCommand));
        shortcuts = {shortcutIn(kProgramsFolder, nullptr, program),
                     shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, program),
                     shortcutIn(kDesktopFolder, nullptr, program),
                     shortcutIn(kStartupFolder, nullptr, program)};
    }

    // The removal helper stays in the temporary folder, as such helpers do;
    // the tests sweep theirs once it has ended.
    void TearDown() override {
        const auto temporary = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 50; ++attempt) {
            bool left = false;
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(temporary, error))
                if (entry.path().filename().string().rfind("tarnwick-remover-", 0) == 0)
                    left |= !std::filesystem::remove(entry.path(), error);
            if (!left) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        RegistrationTest::TearDown();
    }

    std::string uninstallCommand;
    std::vector<std::string> shortcuts;
};

TEST_F(SampleClient, ConfirmedUninstallRemovesEverythingRegistered) {
    EXPECT_EQ(run(uninstallCommand, "TARNWICK_CLIENT_ANSWER", "yes"), 0);
    EXPECT_FALSE(keyExists(kUninstallKey));
    EXPECT_FALSE(keyExists(kInstalledSizeCacheKey));
    for (const auto& shortcut : shortcuts)
        EXPECT_FALSE(std::filesystem::exists(shortcut)) << shortcut;
    EXPECT_TRUE(eventuallyGone(installFolder));
}

TEST_F(SampleClient, CopyOutsideTheRegisteredFolderKeepsItsFolder) {
    const std::string elsewhere = scratch.file("elsewhere");
    std::filesystem::create_directory(elsewhere);
    const std::string copy = elsewhere + "\\Tarnwick.exe";
    std::filesystem::copy_file(program, copy);
    EXPECT_EQ(run("\"" + copy + "\" /uninstall", "TARNWICK_CLIENT_ANSWER", "yes"), 1);
    EXPECT_FALSE(keyExists(kUninstallKey));
    EXPECT_TRUE(std::filesystem::exists(copy));
    EXPECT_TRUE(std::filesystem::exists(program));
}

// A test's scratch user that the client cannot take must not leave it
// working on the real one: it touches nothing.
TEST_F(SampleClient, AScratchUserThatCannotBeTakenEndsTheUninstallUntouched) {
    SetEnvironmentVariableA("TARNWICK_CLIENT_ANSWER", "yes");
    EXPECT_EQ(run(uninstallCommand, "TARNWICK_CLIENT_REGISTRY", "Software\\Tarnwick Tests\\absent"), 1);
    SetEnvironmentVariableA("TARNWICK_CLIENT_ANSWER", nullptr);
    EXPECT_TRUE(keyExists(kUninstallKey));
    for (const auto& shortcut : shortcuts)
        EXPECT_TRUE(std::filesystem::exists(shortcut)) << shortcut;
    EXPECT_TRUE(std::filesystem::exists(program));
}

TEST_F(SampleClient, DeclinedUninstallLeavesEverything) {
    EXPECT_EQ(run(uninstallCommand, "TARNWICK_CLIENT_ANSWER", "no"), 0);
    EXPECT_TRUE(keyExists(kUninstallKey));
    EXPECT_TRUE(keyExists(kInstalledSizeCacheKey));
    for (const auto& shortcut : shortcuts)
        EXPECT_TRUE(std::filesystem::exists(shortcut)) << shortcut;
    EXPECT_TRUE(std::filesystem::exists(installFolder + "\\data\\maps.dat"));
}

TEST_F(SampleClient, AutostartStartsMinimisedAndAPlainStartShowsTheWindow) {
    const std::string record = scratch.file("started.txt");
    const std::string quoted = "\"" + program + "\"";
    EXPECT_EQ(run(quoted, "TARNWICK_CLIENT_RECORD", record), 0);
    EXPECT_EQ(run(quoted + " /autostart", "TARNWICK_CLIENT_RECORD", record), 0);
    std::ostringstream started;
    started << std::ifstream(record).rdbuf();
    EXPECT_EQ(started.str(), "args:\nshow:normal\nargs:/autostart\nshow:minimised\n");
}

// Installed in a folder beyond ASCII, the client (whose narrow calls its
// manifest makes UTF-8) still knows the entry's folder for its own and
// removes everything registered, the folder included.
TEST_F(SampleClient, UninstallFromAFolderBeyondAsciiRemovesEverythingRegistered) {
    namespace fs = std::filesystem;
    const fs::path folder = scratch.path() / utf8Path("Jürgen 日本 😀");
    fs::create_directory(folder);
    const std::string client = utf8Text(folder / "Tarnwick.exe");
    ASSERT_TRUE(fs::copy_file(fs::absolute(TARNWICK_CLIENT_PATH), utf8Path(client)));
    finishInstallation(client, 1, InstallOptions{}, nullptr);
    std::string command;
    ASSERT_TRUE(readUninstallValue("UninstallString", command));

    EXPECT_EQ(run(command, "TARNWICK_CLIENT_ANSWER", "yes"), 0);
    EXPECT_FALSE(keyExists(kUninstallKey));
    for (const auto& shortcut : shortcuts)
        EXPECT_FALSE(fs::exists(utf8Path(shortcut))) << shortcut;
    for (int wait = 0; wait < 150 && fs::exists(folder); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace tarnwick::test
