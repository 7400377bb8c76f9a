#include "installer/platform/Folders.h"

#include <windows.h>

#include <shlobj.h>

#include "installer/platform/win32/SpecialFolders.h"
#include "installer/platform/win32/WideText.h"

namespace tarnwick::platform {

const char kPathSeparator = '\\';

std::string programFolder() {
    // A path may be longer than MAX_PATH; the call cuts it without saying so
    // other than by filling the buffer, so the buffer grows until it does not.
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size() || path.size() >= 32768) break;
        path.resize(path.size() * 2);
    }
    path.resize(length);
    const std::string folder = toUtf8(path);
    const auto cut = folder.find_last_of('\\');
    return cut == std::string::npos ? std::string(".\\") : folder.substr(0, cut + 1);
}

std::string userDataFolder() {
    std::string folder;
    if (!specialFolderPath(CSIDL_APPDATA, folder)) {
        return {};
    }
    if (folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

bool folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toUtf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void createFolder(const std::string& path) {
    (void)CreateDirectoryW(toUtf16(path).c_str(), nullptr);
}

}  // namespace tarnwick::platform
