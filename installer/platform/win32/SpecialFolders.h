#pragma once

#include <string>

namespace tarnwick::platform {

// The shell's special folders of the current user (the desktop, the Start
// menu's programs, Startup, the roaming application data), named by their
// CSIDL numbers. Windows only: only Windows-only code and the Windows side of
// Folders.h use them.

// The folder's path without a trailing separator, created when missing.
// False, with path unchanged, when there is no such folder for the user.
[[nodiscard]] bool specialFolderPath(int folder, std::string& path);

// From now on every special folder of this process is the subfolder of root
// named by its number ("<root>\26" for the application data), whichever
// folder is asked for, so that no lookup can reach the user's own; an empty
// root gives the system's folders again. Gives the root it replaces (empty
// for the system's). For tests and the programs they start, which must never
// write into or delete from a person's desktop, menus or application data;
// the installer itself never calls it.
std::string placeSpecialFoldersBelow(const std::string& root);

}  // namespace tarnwick::platform
