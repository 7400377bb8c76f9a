#include "installer/platform/win32/SpecialFolders.h"

#include <windows.h>

#include <shlobj.h>

#include <mutex>
#include <utility>

#include "installer/platform/win32/WideText.h"

namespace tarnwick::platform {

namespace {

// Worker threads look folders up while a test's thread may move them.
std::mutex placementLock;
std::string placementRoot;

std::string placementRootNow() {
    const std::lock_guard<std::mutex> hold(placementLock);
    return placementRoot;
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toUtf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool specialFolderPath(int folder, std::string& path) {
    if (const std::string root = placementRootNow(); !root.empty()) {
        const std::string placed = root + "\\" + std::to_string(folder);
        // As the shell does when asked to create: the root, then the folder.
        (void)CreateDirectoryW(toUtf16(root).c_str(), nullptr);
        (void)CreateDirectoryW(toUtf16(placed).c_str(), nullptr);
        if (!isFolder(placed)) return false;
        path = placed;
        return true;
    }
    wchar_t found[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(nullptr, found, folder, TRUE) || found[0] == L'\0') return false;
    path = toUtf8(found);
    return true;
}

std::string placeSpecialFoldersBelow(const std::string& root) {
    const std::lock_guard<std::mutex> hold(placementLock);
    return std::exchange(placementRoot, root);
}

}  // namespace tarnwick::platform
