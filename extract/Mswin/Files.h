#pragma once

#include <cstdint>
#include <string>

#include "extract/Mswin/ScopedHandle.h"

namespace Mswin {

// Access rights and creation dispositions, with their Windows values. The
// POSIX twin gives them the same meaning: read-only for an existing file, or
// created (an existing file truncated) for writing.
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;

// Opens path without sharing it. Throws the Ostrel::Log::LogException of
// "Could not open <path>." with the system's error text.
ScopedHandle OpenFileHandle(const std::u16string& path, std::uint32_t creationDisposition,
                            std::uint32_t desiredAccess);

// One system call each; on failure the last error says why and the out
// values are unchanged.
[[nodiscard]] bool ReadFromFile(NativeHandle file, void* buffer, std::uint32_t size, std::uint32_t* count);
[[nodiscard]] bool WriteToFile(NativeHandle file, const void* data, std::uint32_t size, std::uint32_t* count);
// origin: 0 from the start, 1 from the current position, 2 from the end.
[[nodiscard]] bool SeekFile(NativeHandle file, std::int64_t offset, std::uint32_t origin,
                            std::uint64_t* position);
[[nodiscard]] bool FileSizeOf(NativeHandle file, std::uint64_t* size);

// Folder probing for CreateDirectories.
[[nodiscard]] bool EntryExists(const std::u16string& path);
[[nodiscard]] bool MakeDirectory(const std::u16string& path);

}  // namespace Mswin
