#pragma once

#include <optional>
#include <string>

#include "tests/support/ScratchDir.h"

namespace tarnwick::test {

// Points the user's application-data folder at a scratch folder for as long
// as the object lives: natively through XDG_DATA_HOME, on Windows by moving
// the shell's special folders (installer/platform/win32/SpecialFolders.h).
class ScopedUserDataFolder {
public:
    ScopedUserDataFolder();
    ScopedUserDataFolder(const ScopedUserDataFolder&) = delete;
    ScopedUserDataFolder& operator=(const ScopedUserDataFolder&) = delete;
    ~ScopedUserDataFolder();

private:
    ScratchDir folder_;
    // What the object replaced; none for an unset variable.
    std::optional<std::string> previous_;
};

}  // namespace tarnwick::test
