#pragma once

#include <string>

namespace tarnwick::platform {

// The paths below are as FileSystem.h's: UTF-8 on Windows.

// The character that separates folders in the paths below.
extern const char kPathSeparator;

// The folder of the running program, ending with the separator.
std::string programFolder();
// The user's own folder for application data (the roaming application data
// folder on Windows, $XDG_DATA_HOME or ~/.local/share elsewhere), created if
// missing and ending with the separator; empty when there is none.
std::string userDataFolder();

bool folderExists(const std::string& path);
// Creates one folder; a failure (it exists already, or cannot be made) is
// left for folderExists to discover.
void createFolder(const std::string& path);

}  // namespace tarnwick::platform
