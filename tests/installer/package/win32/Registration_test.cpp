#include "installer/package/win32/Registration.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "installer/core/Hosts.h"
#include "installer/platform/win32/SpecialFolders.h"
#include "installer/platform/win32/WideText.h"
#include "tests/support/Utf8Names.h"
#include "tests/support/win32/RegistrationTesting.h"

namespace tarnwick::test {
namespace {

using testing::ElementsAre;

std::uint64_t littleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= std::uint64_t{bytes[offset + i]} << (8 * i);
    return value;
}

std::uint64_t fileTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

std::string today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return formatInstallDate(now.wYear, now.wMonth, now.wDay);
}

void writeCacheRecord(DWORD type, const std::vector<std::uint8_t>& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kInstalledSizeCacheKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    // The wide call stores the bytes as given, whatever the type.
    RegSetValueExW(key, L"SlowInfoCache", 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void writeUninstallValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

const RegistryValue* find(const std::vector<RegistryValue>& values, const std::string& name) {
    for (const auto& value : values)
        if (value.name == name) return &value;
    return nullptr;
}

TEST(InstallDate, IsYearMonthDayWithoutSeparators) {
    EXPECT_EQ(formatInstallDate(2024, 3, 5), "20240305");
    EXPECT_EQ(formatInstallDate(1999, 12, 31), "19991231");
}

using UninstallEntry = RegistrationTest;

TEST_F(UninstallEntry, WritesEveryValueWithItsTypeAndTerminatedLength) {
    writeUninstallEntry(program, 5 * 1024 * 1024 + 1);
    const auto values = readValues(kUninstallKey);
    EXPECT_EQ(values.size(), 13u);
    const std::string site = std::string("http://") + hosts::kWeb + "/";
    const std::pair<const char*, std::string> texts[] = {
        {"Comments", "Tarnwick - play your friends online"},
        {"DisplayName", "Tarnwick"},
        {"DisplayIcon", program},
        {"HelpLink", site + "support/"},
        {"InstallLocation", installFolder},
        {"Publisher", "Tarnwick Technologies"},
        {"URLInfoAbout", site},
        {"UninstallString", "\"" + program + "\" /uninstall"},
        {"InstallDate", today()},
    };
    for (const auto& [name, text] : texts) {
        const RegistryValue* value = find(values, name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_EQ(value->data.size(), (platform::toUtf16(text).size() + 1) * sizeof(wchar_t))
            << name << ": UTF-16, the terminator counted";
        EXPECT_EQ(value->text(), text) << name;
    }
    const std::pair<const char*, std::uint32_t> numbers[] = {
        {"NoModify", 1}, {"NoRemove", 0}, {"NoRepair", 1}, {"EstimatedSize", 5 * 1024 + 1}};
    for (const auto& [name, number] : numbers) {
        const RegistryValue* value = find(values, name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(value->number(), number) << name;
    }
}

TEST_F(UninstallEntry, QuotesOnlyAProgramPathWithABlank) {
    writeUninstallEntry("C:\\Tarnwick\\Tarnwick.exe", 0);
    std::string text;
    ASSERT_TRUE(readUninstallValue("UninstallString", text));
    EXPECT_EQ(text, "C:\\Tarnwick\\Tarnwick.exe /uninstall");
    ASSERT_TRUE(readUninstallValue("InstallLocation", text));
    EXPECT_EQ(text, "C:\\Tarnwick");
}

TEST_F(UninstallEntry, EstimatesWholeKilobytesRoundedUpWithoutOverflow) {
    recordInstalledSize(1);
    EXPECT_EQ(find(readValues(kUninstallKey), "EstimatedSize")->number(), 1u);
    recordInstalledSize(0xFFFFFFFFu);
    EXPECT_EQ(find(readValues(kUninstallKey), "EstimatedSize")->number(), 0x400000u);
}

using SizeCache = RegistrationTest;

TEST_F(SizeCache, NewRecordCarriesSizeTimeUsesAndName) {
    const std::uint64_t before = fileTimeNow();
    recordInstalledSize(123456789);
    const std::uint64_t after = fileTimeNow();
    const auto values = readValues(kInstalledSizeCacheKey);
    ASSERT_EQ(values.size(), 2u);
    const RegistryValue* cache = find(values, "SlowInfoCache");
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->type, static_cast<DWORD>(REG_BINARY));
    const auto& record = cache->data;
    ASSERT_EQ(record.size(), 552u);
    EXPECT_EQ(littleEndian(record, 0, 4), 552u);
    EXPECT_EQ(littleEndian(record, 4, 4), 1u);
    EXPECT_EQ(littleEndian(record, 8, 8), 123456789u);
    // File times tick in 100 ns; the record's comes from a clock read of
    // millisecond precision.
    EXPECT_GE(littleEndian(record, 16, 8) + 10000, before);
    EXPECT_LE(littleEndian(record, 16, 8), after + 10000);
    EXPECT_EQ(littleEndian(record, 24, 4), 3u);
    const char16_t name[] = u"Tarnwick";
    EXPECT_EQ(std::memcmp(record.data() + 28, name, sizeof name), 0);
    const RegistryValue* changed = find(values, "Changed");
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(changed->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(changed->number(), 0u);
}

TEST_F(SizeCache, ExistingRecordKeepsEverythingButTheSize) {
    std::vector<std::uint8_t> windows(552);
    for (std::size_t i = 0; i < windows.size(); ++i)
        windows[i] = static_cast<std::uint8_t>(i * 7 + 3);
    writeCacheRecord(REG_BINARY, windows);
    recordInstalledSize(0xA1B2C3D4);

    const auto values = readValues(kInstalledSizeCacheKey);
    const RegistryValue* record = find(values, "SlowInfoCache");
    ASSERT_NE(record, nullptr);
    auto expected = windows;
    const std::uint8_t size[8] = {0xD4, 0xC3, 0xB2, 0xA1, 0, 0, 0, 0};
    std::memcpy(expected.data() + 8, size, sizeof size);
    EXPECT_EQ(record->data, expected);
    ASSERT_NE(find(values, "Changed"), nullptr);
}

TEST_F(SizeCache, RecordOfAnotherLengthOrTypeIsLeftAloneAndNothingMarkedChanged) {
    const std::vector<std::uint8_t> shorter(100, 0x5A);
    const std::vector<std::uint8_t> longer(600, 0x5A);
    // A text of the record's length: 275 UTF-16 units and the terminator.
    std::vector<std::uint8_t> exact(552, 0);
    for (std::size_t i = 0; i + 2 < exact.size(); i += 2)
        exact[i] = 0x5A;
    for (const auto& [type, bytes] :
         {std::pair{REG_BINARY, shorter}, {REG_BINARY, longer}, {REG_SZ, exact}}) {
        RegDeleteTreeA(HKEY_CURRENT_USER, kInstalledSizeCacheKey);
        writeCacheRecord(type, bytes);
        recordInstalledSize(42);
        const auto values = readValues(kInstalledSizeCacheKey);
        ASSERT_EQ(values.size(), 1u) << bytes.size();
        EXPECT_EQ(values[0].type, static_cast<DWORD>(type));
        EXPECT_EQ(values[0].data, bytes) << bytes.size() << " bytes, read back " << values[0].data.size();
    }
}

using ReadUninstallValue = RegistrationTest;

TEST_F(ReadUninstallValue, GivesOnlyTerminatedStringsThatFit) {
    std::string text = "unchanged";
    EXPECT_FALSE(readUninstallValue("InstallLocation", text)) << "no key";

    writeUninstallValue("Fits", REG_SZ, "C:\\x", 5);
    const std::string longest(259, 'a');
    writeUninstallValue("Longest", REG_SZ, longest.c_str(), 260);
    const DWORD number = 7;
    writeUninstallValue("Number", REG_DWORD, &number, sizeof number);
    const std::string tooLong(260, 'b');
    writeUninstallValue("TooLong", REG_SZ, tooLong.c_str(), 261);
    writeUninstallValue("Unterminated", REG_SZ, tooLong.c_str(), 260);
    writeUninstallValue("Expandable", REG_EXPAND_SZ, "C:\\x", 5);

    for (const char* refused : {"Missing", "Number", "TooLong", "Unterminated", "Expandable"}) {
        EXPECT_FALSE(readUninstallValue(refused, text)) << refused;
        EXPECT_EQ(text, "unchanged") << refused;
    }
    ASSERT_TRUE(readUninstallValue("Fits", text));
    EXPECT_EQ(text, "C:\\x");
    ASSERT_TRUE(readUninstallValue("Longest", text));
    EXPECT_EQ(text, longest);
}

using Shortcuts = RegistrationTest;

TEST_F(Shortcuts, ReadBackWithTargetArgumentsDescriptionAndNoWorkingFolder) {
    const std::string bare = scratch.file("bare.lnk");
    const std::string full = scratch.file("full.lnk");
    ASSERT_TRUE(createShortcut(bare, program, nullptr, nullptr));
    ASSERT_TRUE(createShortcut(full, program, kProductDescription, kAutostartArgument));

    const ShortcutFacts bareFacts = readShortcut(bare);
    EXPECT_EQ(bareFacts.target, program);
    EXPECT_EQ(bareFacts.arguments, "");
    EXPECT_EQ(bareFacts.description, "");
    const ShortcutFacts fullFacts = readShortcut(full);
    EXPECT_EQ(fullFacts.target, program);
    EXPECT_EQ(fullFacts.arguments, "/autostart");
    EXPECT_EQ(fullFacts.description, "Tarnwick - play your friends online");
    EXPECT_EQ(fullFacts.workingFolder, "");
}

TEST_F(Shortcuts, SaveIntoAMissingFolderIsReportedAsFailure) {
    EXPECT_FALSE(createShortcut(scratch.file("absent\\Tarnwick.lnk"), program, nullptr, nullptr));
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "absent"));
}

TEST_F(Shortcuts, PathIsTheProgramNameWithLinkExtensionInTheFolder) {
    std::string programs;
    ASSERT_TRUE(platform::specialFolderPath(kProgramsFolder, programs));
    std::string path;
    ASSERT_TRUE(shortcutPath(program, kProgramsFolder, nullptr, path));
    EXPECT_EQ(path, programs + "\\Tarnwick.lnk");
    ASSERT_TRUE(shortcutPath("C:\\a.b\\client", kProgramsFolder, "Sub", path));
    EXPECT_EQ(path, programs + "\\Sub\\client.lnk");

    path = "unchanged";
    EXPECT_FALSE(shortcutPath("C:\\" + std::string(300, 'x') + ".exe", kProgramsFolder, nullptr, path));
    EXPECT_EQ(path, "unchanged");
}

class FinishInstallation : public RegistrationTest {
protected:
    std::vector<std::string> launched;
    ProgramLauncher launch = [this](const char* commandLine) {
        launched.emplace_back(commandLine);
        return true;
    };

    std::string startMenu() { return shortcutIn(kProgramsFolder, nullptr, program); }
    std::string quickLaunch() { return shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, program); }
    std::string desktop() { return shortcutIn(kDesktopFolder, nullptr, program); }
    std::string startup() { return shortcutIn(kStartupFolder, nullptr, program); }
};

TEST_F(FinishInstallation, AllOptionsGiveFourShortcutsTheEntryAndTheLaunch) {
    setQuickLaunchFolder(true);
    finishInstallation(program, 4096, InstallOptions{}, launch);

    for (const std::string& link : {startMenu(), quickLaunch(), desktop()}) {
        const ShortcutFacts facts = readShortcut(link);
        EXPECT_EQ(facts.target, program) << link;
        EXPECT_EQ(facts.arguments, "") << link;
        EXPECT_EQ(facts.description, kProductDescription) << link;
    }
    const ShortcutFacts autostart = readShortcut(startup());
    EXPECT_EQ(autostart.target, program);
    EXPECT_EQ(autostart.arguments, "/autostart");
    EXPECT_EQ(autostart.description, kProductDescription);
    EXPECT_EQ(find(readValues(kUninstallKey), "EstimatedSize")->number(), 4u);
    EXPECT_TRUE(keyExists(kInstalledSizeCacheKey));
    EXPECT_THAT(launched, ElementsAre(program));
}

TEST_F(FinishInstallation, NoOptionsGiveOnlyTheStartMenuShortcut) {
    setQuickLaunchFolder(true);
    finishInstallation(program, 4096, InstallOptions{false, false, false}, launch);

    EXPECT_TRUE(std::filesystem::exists(startMenu()));
    EXPECT_FALSE(std::filesystem::exists(quickLaunch()));
    EXPECT_FALSE(std::filesystem::exists(desktop()));
    EXPECT_FALSE(std::filesystem::exists(startup()));
    EXPECT_FALSE(readValues(kUninstallKey).empty());
    EXPECT_THAT(launched, ElementsAre(program));
}

TEST_F(FinishInstallation, MissingQuickLaunchFolderSkipsOnlyThatShortcut) {
    setQuickLaunchFolder(false);
    finishInstallation(program, 1, InstallOptions{}, launch);

    EXPECT_FALSE(std::filesystem::exists(quickLaunch()));
    EXPECT_TRUE(std::filesystem::exists(startMenu()));
    EXPECT_TRUE(std::filesystem::exists(desktop()));
    EXPECT_TRUE(std::filesystem::exists(startup()));
    EXPECT_EQ(launched.size(), 1u);
}

// A user whose profile and install folder hold characters of any script:
// the shortcuts land in their folders and point at the program, and the
// entry names it, all exactly as written.
TEST_F(FinishInstallation, FoldersBeyondAsciiReadBackExactly) {
    namespace fs = std::filesystem;
    const fs::path profile = scratch.path() / test::utf8Path("Jürgen 日本 😀");
    const std::string scratchFolders = platform::placeSpecialFoldersBelow(test::utf8Text(profile));
    const fs::path folder = scratch.path() / test::utf8Path("Ünïcode näme Ελληνικά 😀");
    fs::create_directory(folder);
    std::ofstream(folder / "Tarnwick.exe") << "stand-in";
    const std::string client = test::utf8Text(folder / "Tarnwick.exe");
    setQuickLaunchFolder(true);

    finishInstallation(client, 4096, InstallOptions{}, launch);

    for (const auto& [link, arguments] : {std::pair{shortcutIn(kProgramsFolder, nullptr, client), ""},
                                          {shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, client), ""},
                                          {shortcutIn(kDesktopFolder, nullptr, client), ""},
                                          {shortcutIn(kStartupFolder, nullptr, client), "/autostart"}}) {
        EXPECT_EQ(link.rfind(test::utf8Text(profile), 0), 0u) << link;
        EXPECT_TRUE(fs::exists(test::utf8Path(link))) << link;
        const ShortcutFacts facts = readShortcut(link);
        EXPECT_EQ(facts.target, client) << link;
        EXPECT_EQ(facts.arguments, arguments) << link;
    }
    const std::pair<const char*, std::string> texts[] = {
        {"DisplayIcon", client},
        {"InstallLocation", test::utf8Text(folder)},
        {"UninstallString", "\"" + client + "\" /uninstall"},
    };
    const auto values = readValues(kUninstallKey);
    for (const auto& [name, text] : texts) {
        std::string read;
        ASSERT_TRUE(readUninstallValue(name, read)) << name;
        EXPECT_EQ(read, text) << name;
        const RegistryValue* value = find(values, name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value->data.size(), (platform::toUtf16(text).size() + 1) * sizeof(wchar_t)) << name;
    }
    EXPECT_THAT(launched, ElementsAre(client));
    platform::placeSpecialFoldersBelow(scratchFolders);
}

}  // namespace
}  // namespace tarnwick::test
