#include "Removal.h"

#include <windows.h>

#include <shlwapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "installer/package/win32/Registration.h"
#include "installer/platform/win32/RegistryKey.h"
#include "installer/platform/win32/SpecialFolders.h"
#include "installer/platform/win32/UniqueHandle.h"

namespace tarnwick::client {

namespace {

using platform::RegistryKey;
using platform::UniqueHandle;

constexpr char kCaption[] = "Tarnwick";

std::string ownProgramPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

// Null when a person is to be asked; otherwise the answer given by the test.
const char* scriptedAnswer() {
    return std::getenv("TARNWICK_CLIENT_ANSWER");
}

bool confirmed() {
    if (const char* answer = scriptedAnswer()) return std::string(answer) == "yes";
    return MessageBoxA(nullptr, "Remove Tarnwick and all of its components?", kCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// True when the process works on a scratch user from now on, or when none
// was handed over; false leaves it on the real one, which the caller must
// then not touch.
bool takeScratchUser() {
    const char* key = std::getenv("TARNWICK_CLIENT_REGISTRY");
    const char* folders = std::getenv("TARNWICK_CLIENT_FOLDERS");
    if (key == nullptr && folders == nullptr) return true;
    if (key == nullptr || folders == nullptr || *folders == '\0') return false;
    const RegistryKey scratch = RegistryKey::open(HKEY_CURRENT_USER, key, KEY_ALL_ACCESS);
    if (!scratch || RegOverridePredefKey(HKEY_CURRENT_USER, scratch.get()) != ERROR_SUCCESS) return false;
    platform::placeSpecialFoldersBelow(folders);
    return true;
}

void removeRegistration(const std::string& programPath) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kInstalledSizeCacheKey);
    const std::pair<int, const char*> places[] = {
        {kProgramsFolder, nullptr},
        {kAppDataFolder, kQuickLaunchSubfolder},
        {kDesktopFolder, nullptr},
        {kStartupFolder, nullptr},
    };
    for (const auto& [folder, subfolder] : places) {
        std::string shortcut;
        if (shortcutPath(programPath, folder, subfolder, shortcut)) DeleteFileA(shortcut.c_str());
    }
}

// Copies the program to the temporary folder and starts the copy, handing it
// a handle to this process so that it can wait for the folder to come free.
bool startFolderRemoval(const std::string& programPath, const std::string& folder) {
    char temporary[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temporary);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::string helper =
        std::string(temporary) + "tarnwick-remover-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA(programPath.c_str(), helper.c_str(), FALSE)) return false;

    // Inherited by the copy; this process needs it only until the copy starts.
    UniqueHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.put(),
                         SYNCHRONIZE, TRUE, 0))
        return false;
    std::string commandLine = "\"" + helper + "\" " + kRemoveFolderSwitch + " " +
                              std::to_string(reinterpret_cast<std::uintptr_t>(self.get())) + " \"" + folder +
                              "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(helper.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, temporary,
                        &startup, &process))
        return false;
    const UniqueHandle thread(process.hThread);
    const UniqueHandle copy(process.hProcess);
    return true;
}

}  // namespace

int uninstall() {
    if (!takeScratchUser()) return 1;
    if (!confirmed()) return 0;
    const std::string programPath = ownProgramPath();
    if (programPath.empty()) return 1;
    std::string folder = programPath;
    PathRemoveFileSpecA(folder.data());
    folder.resize(std::strlen(folder.c_str()));
    // Only the folder that the installer registered is swept: a copy started
    // from anywhere else (a build tree, a download folder) keeps its folder.
    std::string registered;
    const bool installed = readUninstallValue("InstallLocation", registered) &&
                           lstrcmpiA(registered.c_str(), folder.c_str()) == 0;
    removeRegistration(programPath);
    const bool removing = installed && startFolderRemoval(programPath, folder);
    if (scriptedAnswer() == nullptr)
        MessageBoxA(nullptr,
                    removing ? "Tarnwick was removed." : "Tarnwick was removed, but its folder remains.",
                    kCaption, MB_OK | MB_ICONINFORMATION);
    return removing ? 0 : 1;
}

int finishFolderRemoval(const std::string& arguments) {
    char* rest = nullptr;
    UniqueHandle client(
        reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(arguments.c_str(), &rest, 10))));
    std::string folder = rest == nullptr ? std::string() : std::string(rest);
    folder.erase(0, folder.find_first_not_of(' '));
    PathUnquoteSpacesA(folder.data());
    folder.resize(std::strlen(folder.c_str()));
    // Never sweep a whole drive, whatever the command line says.
    if (folder.empty() || PathIsRootA(folder.c_str())) return 1;

    if (client) {
        WaitForSingleObject(client.get(), 30000);
        client.reset();
    }
    // The manifest makes the program's narrow texts UTF-8; the library would
    // read a plain string in another code page.
    const std::filesystem::path tree(std::u8string(folder.begin(), folder.end()));
    // Files may stay busy for a moment after their owner ended.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(tree, error);
        if (!std::filesystem::exists(tree, error)) return 0;
        Sleep(100);
    }
    return 1;
}

}  // namespace tarnwick::client
