#pragma once

#include <cstdint>
#include <string>

#include "installer/core/MemoryStream.h"

namespace tarnwick {

// The unpacked package: two leading words, then entries up to an end entry.
// All integers big-endian.
//
//   entry: kind u8 | flags u8 | name, NUL-terminated, backslash-separated
//          kind 1 (file):   mtime s32 | ctime s32 | size u32 | size bytes
//          kind 2 (folder): mtime s32 | ctime s32
//          kind 3 (removal), other kinds: nothing more
//          kind 0: end of the package; nothing follows in the entry
//   times: seconds since 1970-01-01 UTC

inline constexpr std::uint8_t kEntryEnd = 0;
inline constexpr std::uint8_t kEntryFile = 1;
inline constexpr std::uint8_t kEntryFolder = 2;
inline constexpr std::uint8_t kEntryRemoval = 3;

// Bit 0: this path is the new client program, for any kind. Bit 3: (folder)
// remove the existing tree before making the folder.
inline constexpr std::uint8_t kFlagClientProgram = 0x01;
inline constexpr std::uint8_t kFlagResetFolder = 0x08;

// Room for an entry's full path (install folder and name) and for a folder
// whose times are set once the files are in place, terminators included.
inline constexpr std::uint32_t kFullPathCapacity = 3072;
inline constexpr std::uint32_t kFolderPathCapacity = 1024;

// Reads the entries of an unpacked package one at a time, with every rule
// the installer applies to them. The check that a whole package is sound
// before anything is touched and the install itself both read through it,
// so the two cannot disagree about what a package holds.
//
// Reading consults nothing on disk and changes nothing; the bytes stay the
// caller's and must outlive the reader.
class PackageEntryReader {
public:
    // Reads the two leading words. Every entry's full path is installFolder
    // (ending with the separator) followed by the entry's name in this
    // system's form. Throws kGeneralFailure when the package is too short
    // for the words or the folder leaves no room for a name.
    PackageEntryReader(const std::uint8_t* bytes, std::uint32_t size, const std::string& installFolder);
    PackageEntryReader(const PackageEntryReader&) = delete;
    PackageEntryReader& operator=(const PackageEntryReader&) = delete;

    std::uint32_t leadingWord(int index) const { return leadingWords_[index & 1]; }

    // Reads the next entry; false at the end entry. Throws kGeneralFailure
    // for what the installer refuses: a name entryNameProblem names, a full
    // path too long for its use, content running past the end, a package
    // that ends before its end entry. After a throw the reader is spent.
    [[nodiscard]] bool next();

    std::uint8_t kind() const { return kind_; }
    std::uint8_t flags() const { return flags_; }
    // The entry's full path, valid until the next call of next.
    const char* path() const { return path_; }
    // Files and folders only.
    std::int32_t modificationTime() const { return modificationTime_; }
    std::int32_t creationTime() const { return creationTime_; }
    // Files only: the content inside the package's bytes.
    const std::uint8_t* content() const { return content_; }
    std::uint32_t contentSize() const { return contentSize_; }

private:
    MemoryStream package_;
    std::uint32_t leadingWords_[2] = {0, 0};
    // Each name is read straight behind the install folder's text, so the
    // buffer then holds the entry's full path.
    char path_[kFullPathCapacity] = {};
    char* name_ = path_;
    std::uint32_t nameCapacity_ = 0;

    std::uint8_t kind_ = kEntryEnd;
    std::uint8_t flags_ = 0;
    std::int32_t modificationTime_ = 0;
    std::int32_t creationTime_ = 0;
    const std::uint8_t* content_ = nullptr;
    std::uint32_t contentSize_ = 0;
};

}  // namespace tarnwick
