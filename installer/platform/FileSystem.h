#pragma once

#include <cstdint>

namespace tarnwick::platform {

// The file-system services the portable layers need, with Windows' meanings
// on every system. Paths are narrow texts in the system's own form; the
// separator is kPathSeparator. Nothing here throws: each routine reports
// what it did, and callers that do not care ignore the report.

extern const char kPathSeparator;

// Rewrites a package name, whose components are separated by backslashes,
// into this system's form, in place.
void toNativeSeparators(char* path);

// The running program's full path, cut after its last separator, into a
// buffer of capacity bytes. False (buffer empty) when it cannot be had or
// does not fit.
[[nodiscard]] bool ownFolder(char* buffer, std::uint32_t capacity);

// The user's application-data folder, created if missing, without a trailing
// separator. False (buffer unchanged) when the system has none or it does not
// fit.
[[nodiscard]] bool applicationDataFolder(char* buffer, std::uint32_t capacity);

// False for an empty text, otherwise whether the file or folder exists.
bool pathExists(const char* path);

// Creates one folder; an existing folder or any failure is not reported,
// since every caller goes on and lets the next file operation fail instead.
void createFolder(const char* path);

// 0 on success, otherwise the system's error code.
int deleteFile(const char* path);

// Moves a file; true when it moved.
bool moveFile(const char* from, const char* to);

// Removes a file or a whole folder tree. One trailing separator is ignored.
// -1 without touching anything for an empty path, 0 on success, another
// value when something could not be removed.
int removeTree(const char* path);

// Gives an existing file or folder the two times, in seconds since
// 1970-01-01 UTC. Systems that keep no settable creation time set the
// modification time alone. Failures are ignored: times are cosmetic.
void setFileTimes(const char* path, std::int32_t modificationTime, std::int32_t creationTime);

// Bytes free to the calling user on the volume holding path; 0 when the
// query fails.
std::uint64_t freeBytesForCaller(const char* path);

}  // namespace tarnwick::platform
