#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScratchDir.h"
#include "tests/support/win32/ScratchUser.h"
#include "tools/tarnwick-driver/Shortcut.h"

namespace tarnwick::test {

// A value as the registry stores it: strings in UTF-16.
struct RegistryValue {
    std::string name;
    DWORD type = 0;
    std::vector<std::uint8_t> data;

    // A string value's text up to its terminator, in UTF-8.
    std::string text() const;
    std::uint32_t number() const;
};

// The values of a key under HKEY_CURRENT_USER, in the registry's own order.
std::vector<RegistryValue> readValues(const char* key);
bool keyExists(const char* key);

using driver::ShortcutFacts;
// Reads a saved shell link back through the shell; empty facts when the file
// is no readable link.
ShortcutFacts readShortcut(const std::string& file);

// Where the installer puts the shortcut to program in a special folder.
std::string shortcutIn(int folder, const char* subfolder, const std::string& program);

// A stand-in program to register, in a scratch folder whose name has a
// blank, with COM started for the shell's links.
class StandInProgramTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes or removes the Quick Launch folder, which Windows, not the
    // installer, creates.
    void setQuickLaunchFolder(bool present);

    ScratchDir scratch;
    std::string installFolder;
    std::string program;
};

// The registration lives at fixed places of the current user's registry and
// special folders, so each test registers for a scratch user of its own and
// starts with none of it (and no Quick Launch folder).
class RegistrationTest : public StandInProgramTest {
private:
    ScopedScratchUser user_;
};

}  // namespace tarnwick::test
