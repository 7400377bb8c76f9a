#include "tests/support/win32/RegistrationTesting.h"

#include <objbase.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "installer/package/win32/Registration.h"
#include "installer/platform/win32/SpecialFolders.h"

namespace tarnwick::test {

std::string RegistryValue::text() const {
    return std::string(reinterpret_cast<const char*>(data.data()),
                       strnlen(reinterpret_cast<const char*>(data.data()), data.size()));
}

std::uint32_t RegistryValue::number() const {
    std::uint32_t value = 0;
    if (data.size() == sizeof value) std::memcpy(&value, data.data(), sizeof value);
    return value;
}

std::vector<RegistryValue> readValues(const char* key) {
    std::vector<RegistryValue> values;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        RegistryValue value;
        value.data.resize(4096);
        DWORD size = static_cast<DWORD>(value.data.size());
        if (RegEnumValueA(handle, index, name, &nameLength, nullptr, &value.type, value.data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        value.name.assign(name, nameLength);
        value.data.resize(size);
        values.push_back(std::move(value));
    }
    RegCloseKey(handle);
    return values;
}

bool keyExists(const char* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

ShortcutFacts readShortcut(const std::string& file) {
    ShortcutFacts facts;
    if (!driver::readShortcut(file, facts)) return {};
    return facts;
}

std::string shortcutIn(int folder, const char* subfolder, const std::string& program) {
    std::string path;
    EXPECT_TRUE(shortcutPath(program, folder, subfolder, path));
    return path;
}

void StandInProgramTest::SetUp() {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    installFolder = scratch.file("Tarnwick Client");
    std::filesystem::create_directory(installFolder);
    program = installFolder + "\\Tarnwick.exe";
    std::ofstream(program) << "stand-in";
}

void StandInProgramTest::TearDown() {
    CoUninitialize();
}

void StandInProgramTest::setQuickLaunchFolder(bool present) {
    std::string appData;
    ASSERT_TRUE(platform::specialFolderPath(kAppDataFolder, appData));
    const std::string folder = appData + "\\" + kQuickLaunchSubfolder;
    std::error_code ignored;
    if (present)
        std::filesystem::create_directories(folder, ignored);
    else
        std::filesystem::remove_all(folder, ignored);
}

}  // namespace tarnwick::test
