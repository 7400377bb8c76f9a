#include "tests/support/UserDataFolder.h"

#include <cstdlib>

namespace tarnwick::test {

namespace {
constexpr const char kVariable[] = "XDG_DATA_HOME";
}

ScopedUserDataFolder::ScopedUserDataFolder() {
    if (const char* previous = std::getenv(kVariable)) previous_ = previous;
    ::setenv(kVariable, folder_.path().string().c_str(), 1);
}

ScopedUserDataFolder::~ScopedUserDataFolder() {
    if (previous_) {
        ::setenv(kVariable, previous_->c_str(), 1);
    } else {
        ::unsetenv(kVariable);
    }
}

}  // namespace tarnwick::test
