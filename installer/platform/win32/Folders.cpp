#include "installer/platform/Folders.h"

#include <windows.h>

#include <shlobj.h>

#include "installer/platform/win32/SpecialFolders.h"

namespace tarnwick::platform {

const char kPathSeparator = '\\';

std::string programFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
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
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void createFolder(const std::string& path) {
    (void)CreateDirectoryA(path.c_str(), nullptr);
}

}  // namespace tarnwick::platform
