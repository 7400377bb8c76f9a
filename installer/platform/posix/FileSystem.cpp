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

namespace {

// A modification time to set; the access time stays as it is, as on
// Windows, where it is not passed.
struct FileTimes {
    explicit FileTimes(std::int32_t modificationTime) {
        value[0].tv_sec = 0;
        value[0].tv_nsec = UTIME_OMIT;
        value[1].tv_sec = modificationTime;
        value[1].tv_nsec = 0;
    }
    struct timespec value[2];
};

}  // namespace

bool toNativeEntryName(char* name, std::size_t) {
    // The file system keeps names as bytes: UTF-8 or not, they are kept.
    for (char* p = name; *p; ++p) {
        if (*p == '\\') *p = '/';
    }
    return true;
}

std::FILE* openFile(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

bool pathExists(const char* path) {
    struct stat status;
    return path && *path && ::stat(path, &status) == 0;
}

int deleteFile(const char* path) {
    struct stat status;
    // DeleteFile refuses folders; unlink would too, but with another code.
    if (::lstat(path, &status) == 0 && S_ISDIR(status.st_mode)) return EISDIR;
    return ::unlink(path) == 0 ? 0 : errno;
}

bool replaceFile(const char* from, const char* to) {
    // rename refuses to put a file over a folder, as Windows does.
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
    const FileTimes times(modificationTime);
    ::utimensat(AT_FDCWD, path, times.value, 0);
}

bool writeFileWithTimes(const char* path, const std::uint8_t* bytes, std::uint32_t count,
                        std::int32_t modificationTime, std::int32_t /*creationTime*/) {
    const int file = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) return false;
    for (std::uint32_t done = 0; done < count;) {
        const ssize_t written = ::write(file, bytes + done, count - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            ::close(file);
            return false;
        }
        done += static_cast<std::uint32_t>(written);
    }
    const FileTimes times(modificationTime);
    ::futimens(file, times.value);
    return ::close(file) == 0;
}

bool fileIsInUse(const char* path) {
    struct stat status;
    if (::stat(path, &status) != 0 || S_ISDIR(status.st_mode)) return false;
    // Not blocking, so that a pipe without a reader cannot hold the check;
    // the install's own write would wait for one for ever.
    const int file = ::open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) return errno != ENOENT;
    ::close(file);
    return false;
}

std::string firstFileInUseIn(const char* path) {
    struct stat status;
    if (::lstat(path, &status) != 0 || S_ISLNK(status.st_mode)) return {};
    if (!S_ISDIR(status.st_mode)) return fileIsInUse(path) ? path : std::string();
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        const fs::file_type kind = it->symlink_status(kindError).type();
        if (kind == fs::file_type::directory || kind == fs::file_type::symlink) continue;
        if (fileIsInUse(it->path().c_str())) return it->path().string();
    }
    return error ? std::string(path) : std::string();
}

void makeStartable(const char* path) {
    struct stat status;
    if (::stat(path, &status) != 0) return;
    // Execute for whoever may read it, as a compiler leaves its programs.
    const mode_t readers = status.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    ::chmod(path, status.st_mode | (readers >> 2));
}

std::uint64_t freeBytesForCaller(const char* path) {
    struct statvfs volume;
    if (::statvfs(path, &volume) != 0) return 0;
    return std::uint64_t{volume.f_bavail} * volume.f_frsize;
}

}  // namespace tarnwick::platform
