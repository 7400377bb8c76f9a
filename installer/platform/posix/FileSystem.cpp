#include "installer/platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace tarnwick::platform {

const char kPathSeparator = '/';

namespace {

bool copyInto(char* buffer, std::uint32_t capacity, const std::string& text) {
    if (text.size() >= capacity) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace

void toNativeSeparators(char* path) {
    for (char* p = path; *p; ++p) {
        if (*p == '\\') *p = '/';
    }
}

bool ownFolder(char* buffer, std::uint32_t capacity) {
    if (capacity > 0) buffer[0] = 0;
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    const auto cut = path.rfind('/');
    if (error || cut == std::string::npos) return false;
    if (!copyInto(buffer, capacity, path.substr(0, cut + 1))) {
        if (capacity > 0) buffer[0] = 0;
        return false;
    }
    return true;
}

// Linux has no per-user roaming folder; APPDATA, when set, plays its part
// (tests and the demonstration point it at a folder of their own), then the
// XDG data folder.
bool applicationDataFolder(char* buffer, std::uint32_t capacity) {
    std::string folder;
    if (const char* appData = std::getenv("APPDATA"); appData && *appData) {
        folder = appData;
    } else if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
        folder = data;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::string(home) + "/.local/share";
    } else {
        return false;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return copyInto(buffer, capacity, folder);
}

bool pathExists(const char* path) {
    struct stat status;
    return path && *path && ::stat(path, &status) == 0;
}

void createFolder(const char* path) {
    ::mkdir(path, 0777);
}

int deleteFile(const char* path) {
    struct stat status;
    // DeleteFile refuses folders; unlink would too, but with another code.
    if (::lstat(path, &status) == 0 && S_ISDIR(status.st_mode)) return EISDIR;
    return ::unlink(path) == 0 ? 0 : errno;
}

bool moveFile(const char* from, const char* to) {
    // MoveFile never replaces an existing target; rename would.
    if (pathExists(to)) return false;
    return std::rename(from, to) == 0;
}

int removeTree(const char* path) {
    if (!path || !*path) return -1;
    std::string target(path);
    if (target.size() > 1 && target.back() == '/') target.pop_back();
    std::error_code error;
    std::filesystem::remove_all(target, error);
    return error ? error.value() : 0;
}

void setFileTimes(const char* path, std::int32_t modificationTime, std::int32_t /*creationTime*/) {
    // Access time stays as it is, as on Windows, where it is not passed.
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = modificationTime;
    times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path, times, 0);
}

std::uint64_t freeBytesForCaller(const char* path) {
    struct statvfs volume;
    if (::statvfs(path, &volume) != 0) return 0;
    return std::uint64_t{volume.f_bavail} * volume.f_frsize;
}

}  // namespace tarnwick::platform
