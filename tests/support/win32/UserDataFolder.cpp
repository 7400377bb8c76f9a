#include "tests/support/UserDataFolder.h"

namespace tarnwick::test {

ScopedUserDataFolder::ScopedUserDataFolder() = default;
ScopedUserDataFolder::~ScopedUserDataFolder() = default;

}  // namespace tarnwick::test
