#pragma once

#include <string>

#include "tests/support/ScratchDir.h"

namespace tarnwick::test {

// Stands a scratch user in for the real one while it lives: HKEY_CURRENT_USER
// is a key of the test's own and every special folder (desktop, Start menu,
// Startup, application data) a folder of its own, so that whatever a test
// registers, reads back and deletes can never be a person's, on a real
// desktop as under Wine. Sample clients started meanwhile take the same user
// from the environment (TARNWICK_CLIENT_REGISTRY, TARNWICK_CLIENT_FOLDERS).
// One at a time in a process. A user that cannot be set up throws, so that
// no test goes on with the real one.
class ScopedScratchUser {
public:
    ScopedScratchUser();
    ScopedScratchUser(const ScopedScratchUser&) = delete;
    ScopedScratchUser& operator=(const ScopedScratchUser&) = delete;
    // Gives the process its real user back and deletes the key.
    ~ScopedScratchUser();

    // The key below the real HKEY_CURRENT_USER that stands for it.
    const std::string& key() const { return key_; }
    // The folder that holds the special folders.
    const std::string& folders() const { return folders_; }

private:
    ScratchDir scratch_;
    std::string key_;
    std::string folders_;
    std::string previousFolders_;
};

}  // namespace tarnwick::test
