#pragma once

#include <string>

namespace tarnwick::client {

// The switch with which the client hands the removal of its own folder to a
// copy of itself: a running program cannot delete its own file.
inline constexpr char kRemoveFolderSwitch[] = "/remove-folder";

// Asks for confirmation, then removes the uninstall entry, the size cache
// entry, the shortcuts and (through a helper copy) the install folder when
// the entry names it as such; gives 1 when the folder stays. For tests, the
// environment variable TARNWICK_CLIENT_ANSWER ("yes" or "no") answers the
// question and suppresses every message box, and TARNWICK_CLIENT_REGISTRY
// with TARNWICK_CLIENT_FOLDERS hand over a scratch user: a key below
// HKEY_CURRENT_USER that stands in for it, and the folder that holds the
// special folders (as installer/platform/win32/SpecialFolders.h places
// them). A hand-over that cannot be taken ends the removal with 1 before
// anything is touched. Gives the exit code.
int uninstall();

// The helper copy's side: waits for the client to end, then deletes its
// folder. arguments follow kRemoveFolderSwitch: the inherited process handle
// and the quoted folder.
int finishFolderRemoval(const std::string& arguments);

}  // namespace tarnwick::client
