#include "tests/support/win32/ScratchUser.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "installer/platform/win32/RegistryKey.h"
#include "installer/platform/win32/SpecialFolders.h"
#include "installer/platform/win32/WideText.h"

namespace tarnwick::test {
namespace {

using platform::RegistryKey;

constexpr char kProbe[] = "Software\\Tarnwick Probe";

std::optional<std::string> probeValue() {
    const RegistryKey key = RegistryKey::open(HKEY_CURRENT_USER, kProbe, KEY_READ);
    if (!key) return std::nullopt;
    wchar_t text[32] = {};
    DWORD type = 0;
    DWORD size = sizeof text - sizeof(wchar_t);
    if (key.read("value", type, text, size) != ERROR_SUCCESS) return std::nullopt;
    return platform::toUtf8(text);
}

// The registry tests, the sample client and the application-data tests rely
// on this to keep away from a person's own registry and folders.
TEST(ScratchUser, TakesEveryWriteAndLeavesNothingBehind) {
    ASSERT_EQ(probeValue(), std::nullopt) << "a probe key left by an earlier run";
    std::string key;
    std::string desktop;
    {
        const ScopedScratchUser user;
        key = user.key();
        {
            const RegistryKey probe = RegistryKey::create(HKEY_CURRENT_USER, kProbe, KEY_WRITE);
            ASSERT_TRUE(probe);
            ASSERT_TRUE(probe.setString("value", "scratch"));
        }
        EXPECT_EQ(probeValue(), "scratch");
        ASSERT_TRUE(platform::specialFolderPath(CSIDL_DESKTOPDIRECTORY, desktop));
        EXPECT_EQ(desktop.rfind(user.folders(), 0), 0u) << desktop;
        char handedOver[MAX_PATH] = {};
        EXPECT_EQ(GetEnvironmentVariableA("TARNWICK_CLIENT_REGISTRY", handedOver, MAX_PATH), key.size());
    }
    EXPECT_EQ(probeValue(), std::nullopt) << "the real user never saw the write";
    EXPECT_FALSE(RegistryKey::open(HKEY_CURRENT_USER, key.c_str(), KEY_READ)) << "the scratch key is gone";
    EXPECT_FALSE(std::filesystem::exists(desktop));
    EXPECT_EQ(GetEnvironmentVariableA("TARNWICK_CLIENT_REGISTRY", nullptr, 0), 0u);
    std::string systems;
    ASSERT_TRUE(platform::specialFolderPath(CSIDL_DESKTOPDIRECTORY, systems));
    EXPECT_NE(systems, desktop);
}

}  // namespace
}  // namespace tarnwick::test
