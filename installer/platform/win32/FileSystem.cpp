#include "installer/platform/FileSystem.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <string_view>

#include "installer/platform/Utf8.h"
#include "installer/platform/win32/UniqueHandle.h"
#include "installer/platform/win32/WideText.h"

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

// The code page that ANSI calls used before a program could choose UTF-8
// for its own: the system locale's. The process's own (GetACP) is UTF-8
// once the manifest asks for it, and would turn every such byte into U+FFFD.
UINT systemAnsiCodePage() {
    UINT codePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0)
        return CP_ACP;
    return codePage;
}

// A name in the system's ANSI code page, as UTF-8.
std::string ansiToUtf8(std::string_view ansi) {
    const UINT codePage = systemAnsiCodePage();
    const int length = static_cast<int>(ansi.size());
    const int needed = MultiByteToWideChar(codePage, 0, ansi.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring units(static_cast<std::size_t>(needed), L'\0');
    units.resize(static_cast<std::size_t>(
        MultiByteToWideChar(codePage, 0, ansi.data(), length, units.data(), needed)));
    return toUtf8(units);
}

constexpr std::size_t kLongestTree = MAX_PATH * 4;

std::wstring wide(const char* path) {
    return toUtf16(path ? path : "");
}

}  // namespace

bool toNativeEntryName(char* name, std::size_t capacity) {
    const std::string_view bytes(name);
    if (isUtf8(bytes)) return true;
    const std::string utf8 = ansiToUtf8(bytes);
    if (utf8.empty() || utf8.size() >= capacity) return false;
    std::memcpy(name, utf8.c_str(), utf8.size() + 1);
    return true;
}

std::FILE* openFile(const char* path, const char* mode) {
    return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

bool pathExists(const char* path) {
    return path && *path && GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int deleteFile(const char* path) {
    return DeleteFileW(wide(path).c_str()) ? 0 : static_cast<int>(GetLastError());
}

bool replaceFile(const char* from, const char* to) {
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

int removeTree(const char* path) {
    if (!path || !*path) return -1;
    std::wstring list = wide(path);
    // The shell works within a few times MAX_PATH; a longer list overruns
    // its parser (Wine's reads past the end), so it is not handed over.
    if (list.size() > kLongestTree) return -1;
    if (list.back() == L'\\') list.pop_back();
    // The shell wants a list of names ended by an empty one: two NULs, the
    // string's own and this one.
    list.push_back(L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = GetDesktopWindow();
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    // Never the recycle bin, never a question or an error box.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    return SHFileOperationW(&operation);
}

void setFileTimes(const char* path, std::int32_t modificationTime, std::int32_t creationTime) {
    // Backup semantics lets folders open too.
    const UniqueFileHandle file(CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
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
    UniqueFileHandle file(CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const UniqueFileHandle file(
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return false;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::string firstFileInUseIn(const char* path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return {};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return fileIsInUse(path) ? path : std::string();
    std::string folder(path);
    if (folder.back() != '\\') folder += '\\';
    WIN32_FIND_DATAW found;
    const UniqueFindHandle search(FindFirstFileW(toUtf16(folder + '*').c_str(), &found));
    if (!search) return folder;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (std::string busy = firstFileInUseIn((folder + toUtf8(name)).c_str()); !busy.empty()) return busy;
    } while (FindNextFileW(search.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES ? std::string() : folder;
}

void makeStartable(const char*) {}

std::uint64_t freeBytesForCaller(const char* path) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(wide(path).c_str(), &available, nullptr, nullptr)) return 0;
    return available.QuadPart;
}

}  // namespace tarnwick::platform
