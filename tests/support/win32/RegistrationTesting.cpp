#include "tests/support/win32/RegistrationTesting.h"

#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "installer/package/win32/Registration.h"

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

void RegistrationTest::SetUp() {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    installFolder = scratch.file("Tarnwick Client");
    std::filesystem::create_directory(installFolder);
    program = installFolder + "\\Tarnwick.exe";
    std::ofstream(program) << "stand-in";
    char appData[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    quickLaunchFolder_ = std::string(appData) + "\\" + kQuickLaunchSubfolder;
    quickLaunchExisted_ = std::filesystem::exists(quickLaunchFolder_);
    removeRegistration(program);
}

void RegistrationTest::TearDown() {
    removeRegistration(program);
    setQuickLaunchFolder(quickLaunchExisted_);
    CoUninitialize();
}

void RegistrationTest::setQuickLaunchFolder(bool present) {
    std::error_code ignored;
    if (present)
        std::filesystem::create_directories(quickLaunchFolder_, ignored);
    else
        std::filesystem::remove_all(quickLaunchFolder_, ignored);
}

void RegistrationTest::removeRegistration(const std::string& target) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kInstalledSizeCacheKey);
    for (int folder : {kProgramsFolder, kDesktopFolder, kStartupFolder})
        DeleteFileA(shortcutIn(folder, nullptr, target).c_str());
    DeleteFileA(shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, target).c_str());
}

}  // namespace tarnwick::test
