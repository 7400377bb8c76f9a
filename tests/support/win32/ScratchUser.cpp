#include "tests/support/win32/ScratchUser.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

#include "installer/platform/win32/RegistryKey.h"
#include "installer/platform/win32/SpecialFolders.h"

namespace tarnwick::test {

namespace {

// Below the real HKEY_CURRENT_USER, where a test's key is found (and swept
// by hand) should a crashed test leave it behind.
constexpr char kScratchKeys[] = "Software\\Tarnwick Tests";

std::string uniqueKey() {
    static std::atomic<unsigned> counter{0};
    return std::string(kScratchKeys) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount64()) + "-" + std::to_string(counter++);
}

}  // namespace

ScopedScratchUser::ScopedScratchUser() : key_(uniqueKey()), folders_(scratch_.file("folders")) {
    const platform::RegistryKey key =
        platform::RegistryKey::create(HKEY_CURRENT_USER, key_.c_str(), KEY_ALL_ACCESS);
    if (!key) throw std::runtime_error("cannot create the scratch user's key");
    // The system keeps a reference of its own: the holder may close.
    if (RegOverridePredefKey(HKEY_CURRENT_USER, key.get()) != ERROR_SUCCESS) {
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        throw std::runtime_error("cannot stand the scratch user in for the real one");
    }
    previousFolders_ = platform::placeSpecialFoldersBelow(folders_);
    SetEnvironmentVariableA("TARNWICK_CLIENT_REGISTRY", key_.c_str());
    SetEnvironmentVariableA("TARNWICK_CLIENT_FOLDERS", folders_.c_str());
}

ScopedScratchUser::~ScopedScratchUser() {
    SetEnvironmentVariableA("TARNWICK_CLIENT_REGISTRY", nullptr);
    SetEnvironmentVariableA("TARNWICK_CLIENT_FOLDERS", nullptr);
    platform::placeSpecialFoldersBelow(previousFolders_);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    // Only when no other test's key is left in it.
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKeys);
}

}  // namespace tarnwick::test
