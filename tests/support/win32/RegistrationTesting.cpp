#include "tests/support/win32/RegistrationTesting.h"

#include <objbase.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "installer/package/win32/Registration.h"
#include "installer/platform/win32/SpecialFolders.h"
#include "installer/platform/win32/WideText.h"
#include "tests/support/Utf8Names.h"

namespace tarnwick::test {

std::string RegistryValue::text() const {
    std::wstring units(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), data.data(), units.size() * sizeof(wchar_t));
    return platform::toUtf8(units.substr(0, units.find(L'\0')));
}

std::uint32_t RegistryValue::number() const {
    std::uint32_t value = 0;
    if (data.size() == sizeof value) std::memcpy(&value, data.data(), sizeof value);
    return value;
}

std::vector<RegistryValue> readValues(const char* key) {
    std::vector<RegistryValue> values;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, platform::toUtf16(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        RegistryValue value;
        value.data.resize(4096);
        DWORD size = static_cast<DWORD>(value.data.size());
        if (RegEnumValueW(handle, index, name, &nameLength, nullptr, &value.type, value.data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        value.name = platform::toUtf8(std::wstring_view(name, nameLength));
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
    const std::filesystem::path folder = utf8Path(appData + "\\" + kQuickLaunchSubfolder);
    std::error_code ignored;
    if (present)
        std::filesystem::create_directories(folder, ignored);
    else
        std::filesystem::remove_all(folder, ignored);
}

}  // namespace tarnwick::test
