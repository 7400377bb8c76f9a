#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

// Registration of the installed client with Windows, for the current user
// only: shortcuts, the entry in the list of installed programs, and that
// list's size cache. Windows only. Nothing here is ever shown to the user; a
// step that fails is skipped and the next one still runs. Paths and texts are
// UTF-8; the registry and the shell get them as UTF-16, so that a folder
// with any characters is registered as it is.
namespace tarnwick {

inline constexpr const char kProductName[] = "Tarnwick";
inline constexpr const char kProductDescription[] = "Tarnwick - play your friends online";
inline constexpr const char kPublisher[] = "Tarnwick Technologies";
inline constexpr const char kUninstallArgument[] = " /uninstall";
inline constexpr const char kAutostartArgument[] = "/autostart";
inline constexpr const char kQuickLaunchSubfolder[] = "Microsoft\\Internet Explorer\\Quick Launch";

// Both under HKEY_CURRENT_USER.
inline constexpr const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";
inline constexpr const char kInstalledSizeCacheKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Tarnwick";

// The shell's special-folder numbers (CSIDL) of the folders that get shortcuts.
inline constexpr int kProgramsFolder = 2;
inline constexpr int kStartupFolder = 7;
inline constexpr int kDesktopFolder = 16;
inline constexpr int kAppDataFolder = 26;

// Largest value readUninstallValue accepts, in UTF-16 units (as the registry
// stores it), terminator included.
inline constexpr std::size_t kUninstallValueCapacity = 260;

// The choices of the install-options dialog; all on until the user says
// otherwise.
struct InstallOptions {
    bool desktopShortcut = true;
    bool quickLaunchShortcut = true;
    bool startWithWindows = true;
};

// Starts a program from a command line; true when it started.
using ProgramLauncher = std::function<bool(const char* commandLine)>;

// Shortcuts as chosen (the Start menu one always), the uninstall entry and
// size estimate, then starts the program through launch. Never fails.
void finishInstallation(const std::string& launchPath, std::uint32_t installedSize,
                        const InstallOptions& options, const ProgramLauncher& launch);

// Saves a shell link to target at shortcutFile; description and arguments are
// optional (null for none). False when the link could not be made or saved.
[[nodiscard]] bool createShortcut(const std::string& shortcutFile, const std::string& target,
                                  const char* description, const char* arguments);

// Where the shortcut to target lives in a special folder (created when
// missing), optionally below subfolder: the target's file name with ".lnk" in
// place of its extension. False, with path unchanged, when the folder is
// unavailable or the result would be too long for the shell.
[[nodiscard]] bool shortcutPath(const std::string& target, int folder, const char* subfolder,
                                std::string& path);

// One value of the uninstall entry: a REG_SZ text or a REG_DWORD number.
struct UninstallValue {
    const char* name;
    std::variant<std::string, std::uint32_t> data;
};

// The entry's values in the order they are written; the size estimate is
// written apart from them, by recordInstalledSize.
std::vector<UninstallValue> uninstallEntryValues(const std::string& launchPath);

// Writes the entry of the list of installed programs, then recordInstalledSize.
void writeUninstallEntry(const std::string& launchPath, std::uint32_t installedSize);

// Stores the installed size (in bytes) as the entry's estimate and in the
// list's cache record.
void recordInstalledSize(std::uint32_t installedSize);

// Reads a string value of the uninstall entry, as UTF-8. True only when the
// entry exists and the value is a terminated REG_SZ of at most
// kUninstallValueCapacity units; text is unchanged otherwise.
[[nodiscard]] bool readUninstallValue(const char* name, std::string& text);

// A date as the entry's "InstallDate" shows it (yyyyMMdd).
std::string formatInstallDate(int year, int month, int day);

}  // namespace tarnwick
