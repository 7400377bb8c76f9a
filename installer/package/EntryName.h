#pragma once

#include <cstdint>
#include <string_view>

namespace tarnwick {

// Room for a package entry's name and its NUL terminator.
inline constexpr std::uint32_t kEntryNameCapacity = 2048;

// Why the installer refuses a package entry name, or null when it takes it.
// A name is relative to the install folder with its components separated by
// backslashes, and it must mean the same thing on Windows as here:
// - no "..", anywhere, so that nothing climbs out of the install folder;
// - no ":", which names a drive or an NTFS alternate data stream;
// - no empty name or component (a doubled, leading or trailing separator),
//   which would act on the folder above, or on the install folder itself;
// - no component ending in a dot or a blank, which Windows strips, so that
//   "Tarnwick.exe." would land on "Tarnwick.exe";
// - no component that Windows takes for a device (CON, NUL, COM1, LPT1, ...
//   with any extension, in any letter case);
// - fewer than kEntryNameCapacity bytes.
// A forward slash separates components too, as it does on both systems.
const char* entryNameProblem(std::string_view name);

}  // namespace tarnwick
