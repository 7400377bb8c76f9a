#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tests/support/ScratchDir.h"

namespace tarnwick::test {

// Points the user's application-data folder at a scratch folder for as long
// as the object lives, where a test can: natively it follows XDG_DATA_HOME.
// Windows keeps its own %APPDATA% (under Wine, the test prefix's), which
// then stays as it is.
class ScopedUserDataFolder {
public:
    ScopedUserDataFolder();
    ScopedUserDataFolder(const ScopedUserDataFolder&) = delete;
    ScopedUserDataFolder& operator=(const ScopedUserDataFolder&) = delete;
    ~ScopedUserDataFolder();

private:
    std::unique_ptr<ScratchDir> folder_;  // none where the folder stays
    std::optional<std::string> previous_;
};

}  // namespace tarnwick::test
