#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarnwick::platform {

// The file services the portable layers need, with Windows' meanings on
// every system (the folders themselves are in Folders.h). Paths are narrow
// texts: UTF-8 on Windows, whatever the file system's code page, and the
// bytes as the system keeps them elsewhere. Nothing here throws: each
// routine reports what it did, and callers that do not care ignore the
// report.

// Rewrites a package entry name, whose components are separated by
// backslashes, into this system's form, in place; capacity is the room at
// name, terminator included. Names in packages are UTF-8, but older packages
// carry the bytes of the packing machine's ANSI code page: on Windows a name
// that is not valid UTF-8 is read in the system's ANSI code page, as it
// always was, and rewritten as UTF-8. Elsewhere the bytes stay as they are.
// False, with name unchanged, when the rewritten name does not fit.
[[nodiscard]] bool toNativeEntryName(char* name, std::size_t capacity);

// Opens a file as std::fopen does, mode included; null on failure.
std::FILE* openFile(const char* path, const char* mode);

// False for an empty text, otherwise whether the file or folder exists.
bool pathExists(const char* path);

// 0 on success, otherwise the system's error code.
int deleteFile(const char* path);

// Moves a file to another name in the same folder, replacing a file of that
// name in one step: at every moment the name stands for the old file or the
// new one. A folder of that name is not replaced. True when it moved; false
// leaves both as they were.
[[nodiscard]] bool replaceFile(const char* from, const char* to);

// Removes a file or a whole folder tree. One trailing separator is ignored.
// -1 without touching anything for an empty path, 0 on success, another
// value when something could not be removed.
int removeTree(const char* path);

// Gives an existing file or folder the two times, in seconds since
// 1970-01-01 UTC. Systems that keep no settable creation time set the
// modification time alone. Failures are ignored: times are cosmetic.
void setFileTimes(const char* path, std::int32_t modificationTime, std::int32_t creationTime);

// Creates the file, or empties an existing one, writes count bytes into it
// and gives it the two times as setFileTimes does, all through one opening.
// False when the file could not be opened, written whole or closed; a time
// that could not be set is ignored.
[[nodiscard]] bool writeFileWithTimes(const char* path, const std::uint8_t* bytes, std::uint32_t count,
                                      std::int32_t modificationTime, std::int32_t creationTime);

// Whether another program keeps the existing file at path from being
// replaced or removed now. The file is opened for writing without sharing,
// neither emptied nor written, and closed at once. Windows refuses that while
// any other handle to it is open (a running program, a virus scanner);
// elsewhere a running program is refused too, and so is a file this user may
// not write. False where no file is: nothing, or a folder.
[[nodiscard]] bool fileIsInUse(const char* path);

// The first file at path, or anywhere in the folder tree that path names,
// that fileIsInUse finds held, so that removeTree could not remove it; a
// folder that cannot be listed counts as well. Empty when there is none. A
// link is not followed, as removeTree removes the link alone.
std::string firstFileInUseIn(const char* path);

// Lets the system start the file as a program. Windows goes by the name;
// elsewhere the file needs execute permission, which no package entry
// carries. Failures are ignored: the start reports them.
void makeStartable(const char* path);

// Bytes free to the calling user on the volume holding path; 0 when the
// query fails.
std::uint64_t freeBytesForCaller(const char* path);

}  // namespace tarnwick::platform
