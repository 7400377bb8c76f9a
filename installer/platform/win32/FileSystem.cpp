#include "installer/platform/FileSystem.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "installer/platform/win32/UniqueHandle.h"

namespace tarnwick::platform {

namespace {

// 100-nanosecond units since 1601-01-01; the epochs lie 11,644,473,600 s
// apart.
FILETIME toFileTime(std::int32_t seconds) {
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(std::int64_t{seconds} + 11644473600LL) * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

}  // namespace

void toNativeSeparators(char*) {}

bool pathExists(const char* path) {
    return path && *path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int deleteFile(const char* path) {
    return DeleteFileA(path) ? 0 : static_cast<int>(GetLastError());
}

bool replaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

int removeTree(const char* path) {
    if (!path || !*path) return -1;
    // The shell wants a list of names ended by an empty one: two NULs.
    const std::size_t length = std::strlen(path);
    char list[MAX_PATH * 4 + 2] = {};
    if (length + 2 > sizeof list) return -1;
    std::memcpy(list, path, length);
    if (list[length - 1] == '\\') list[length - 1] = 0;
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = GetDesktopWindow();
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    // Never the recycle bin, never a question or an error box.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return SHFileOperationA(&operation);
}

void setFileTimes(const char* path, std::int32_t modificationTime, std::int32_t creationTime) {
    // Backup semantics lets folders open too.
    const UniqueFileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return;
    const FILETIME created = toFileTime(creationTime);
    const FILETIME modified = toFileTime(modificationTime);
    SetFileTime(file.get(), &created, nullptr, &modified);
}

bool writeFileWithTimes(const char* path, const std::uint8_t* bytes, std::uint32_t count,
                        std::int32_t modificationTime, std::int32_t creationTime) {
    // The sharing and disposition of the C library's "wb": readers may look
    // on, and an existing file is emptied.
    UniqueFileHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    for (std::uint32_t done = 0; done < count;) {
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes + done, count - done, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    // Times set through the handle stay as given when it closes. The close
    // is where a delayed write fails, so its answer is the caller's.
    const FILETIME created = toFileTime(creationTime);
    const FILETIME modified = toFileTime(modificationTime);
    SetFileTime(file.get(), &created, nullptr, &modified);
    return CloseHandle(file.release()) != 0;
}

bool fileIsInUse(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const UniqueFileHandle file(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return false;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::string firstFileInUseIn(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return {};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return fileIsInUse(path) ? path : std::string();
    std::string folder(path);
    if (folder.back() != '\\') folder += '\\';
    WIN32_FIND_DATAA found;
    const UniqueFindHandle search(FindFirstFileA((folder + '*').c_str(), &found));
    if (!search) return folder;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (std::string busy = firstFileInUseIn((folder + name).c_str()); !busy.empty()) return busy;
    } while (FindNextFileA(search.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES ? std::string() : folder;
}

void makeStartable(const char*) {}

std::uint64_t freeBytesForCaller(const char* path) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr)) return 0;
    return available.QuadPart;
}

}  // namespace tarnwick::platform
