#include "tests/support/UserDataFolder.h"

#include "installer/platform/win32/SpecialFolders.h"

namespace tarnwick::test {

// The application data is one of the shell's special folders; all of them
// move, so that nothing a test installs lands beside a person's own.
ScopedUserDataFolder::ScopedUserDataFolder() {
    previous_ = platform::placeSpecialFoldersBelow(folder_.path().string());
}

ScopedUserDataFolder::~ScopedUserDataFolder() {
    platform::placeSpecialFoldersBelow(previous_.value_or(std::string()));
}

}  // namespace tarnwick::test
