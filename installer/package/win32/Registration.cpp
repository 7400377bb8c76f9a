#include "installer/package/win32/Registration.h"

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <array>
#include <cstring>
#include <cwchar>

#include "installer/core/ByteOrder.h"
#include "installer/core/Hosts.h"
#include "installer/platform/win32/ComReference.h"
#include "installer/platform/win32/RegistryKey.h"
#include "installer/platform/win32/SpecialFolders.h"
#include "installer/platform/win32/WideText.h"

namespace tarnwick {

using platform::ComReference;
using platform::RegistryKey;
using platform::toUtf16;
using platform::toUtf8;

static_assert(kProgramsFolder == CSIDL_PROGRAMS && kStartupFolder == CSIDL_STARTUP &&
              kDesktopFolder == CSIDL_DESKTOPDIRECTORY && kAppDataFolder == CSIDL_APPDATA);

namespace {

std::string webSiteUrl() {
    return std::string("http://") + hosts::kWeb + "/";
}

// The folder part of a path, without its trailing backslash.
std::string folderOf(const std::string& path) {
    std::wstring folder = toUtf16(path);
    PathRemoveFileSpecW(folder.data());
    folder.resize(std::wcslen(folder.c_str()));
    return toUtf8(folder);
}

std::string uninstallCommand(const std::string& launchPath) {
    const bool quoted = launchPath.find(' ') != std::string::npos;
    return (quoted ? "\"" + launchPath + "\"" : launchPath) + kUninstallArgument;
}

std::string todayAsInstallDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return formatInstallDate(now.wYear, now.wMonth, now.wDay);
}

// The list of installed programs shows its size column from a KB count.
std::uint32_t kilobytes(std::uint32_t bytes) {
    return static_cast<std::uint32_t>((std::uint64_t{bytes} + 1023) / 1024);
}

// "SlowInfoCache": the list's cached facts about one program, little-endian.
//
//   0   4  record length (552)
//   4   4  has-name mark (1)
//   8   8  installed size in bytes
//  16   8  last used, FILETIME (UTC)
//  24   4  times used
//  28 524  name: 262 UTF-16 units, terminated
constexpr std::size_t kCacheRecordSize = 552;
constexpr std::size_t kCacheSizeOffset = 8;
using CacheRecord = std::array<std::uint8_t, kCacheRecordSize>;

void putInstalledSize(CacheRecord& record, std::uint32_t installedSize) {
    storeLittleEndian64(record.data() + kCacheSizeOffset, installedSize);
}

CacheRecord newCacheRecord(std::uint32_t installedSize) {
    CacheRecord record{};
    storeLittleEndian32(record.data(), kCacheRecordSize);
    storeLittleEndian32(record.data() + 4, 1);
    putInstalledSize(record, installedSize);
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME lastUsed{};
    SystemTimeToFileTime(&now, &lastUsed);
    storeLittleEndian32(record.data() + 16, lastUsed.dwLowDateTime);
    storeLittleEndian32(record.data() + 20, lastUsed.dwHighDateTime);
    storeLittleEndian32(record.data() + 24, 3);
    // The rest of the 262 units stays zero: the name's terminator and after.
    const std::wstring name = toUtf16(kProductName);
    for (std::size_t i = 0; i < name.size() && i < 261; ++i)
        storeLittleEndian16(record.data() + 28 + 2 * i, static_cast<std::uint16_t>(name[i]));
    return record;
}

}  // namespace

std::string formatInstallDate(int year, int month, int day) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    char text[388];
    if (GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, &date, "yyyyMMdd", text, sizeof text) == 0) return {};
    return text;
}

bool createShortcut(const std::string& shortcutFile, const std::string& target, const char* description,
                    const char* arguments) {
    ComReference<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid())))
        return false;
    if (FAILED(link->SetPath(toUtf16(target).c_str()))) return false;
    if (description != nullptr && FAILED(link->SetDescription(toUtf16(description).c_str()))) return false;
    if (arguments != nullptr && FAILED(link->SetArguments(toUtf16(arguments).c_str()))) return false;
    ComReference<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.putVoid()))) return false;
    // A save that fails (a missing folder, say) leaves no shortcut, so it is
    // reported as such rather than as a made one.
    return SUCCEEDED(file->Save(toUtf16(shortcutFile).c_str(), TRUE));
}

bool shortcutPath(const std::string& target, int folder, const char* subfolder, std::string& path) {
    std::string file;
    if (!platform::specialFolderPath(folder, file)) return false;
    file += "\\";
    if (subfolder != nullptr) file += std::string(subfolder) + "\\";
    const std::wstring wideTarget = toUtf16(target);
    const std::wstring name = toUtf16(file) + PathFindFileNameW(wideTarget.c_str());
    // The shell takes at most MAX_PATH units; a longer name would be cut and
    // the link saved somewhere else.
    wchar_t result[MAX_PATH];
    if (name.size() + 4 >= MAX_PATH) return false;
    std::wmemcpy(result, name.c_str(), name.size() + 1);
    if (!PathRenameExtensionW(result, L".lnk")) return false;
    path = toUtf8(result);
    return true;
}

std::vector<UninstallValue> uninstallEntryValues(const std::string& launchPath) {
    return {
        {"Comments", std::string(kProductDescription)},
        {"DisplayName", std::string(kProductName)},
        {"DisplayIcon", launchPath},
        {"HelpLink", webSiteUrl() + "support/"},
        {"InstallLocation", folderOf(launchPath)},
        {"Publisher", std::string(kPublisher)},
        {"URLInfoAbout", webSiteUrl()},
        {"NoModify", 1u},
        {"NoRemove", 0u},
        {"NoRepair", 1u},
        {"UninstallString", uninstallCommand(launchPath)},
        {"InstallDate", todayAsInstallDate()},
    };
}

void writeUninstallEntry(const std::string& launchPath, std::uint32_t installedSize) {
    if (const RegistryKey key = RegistryKey::create(HKEY_CURRENT_USER, kUninstallKey, KEY_WRITE)) {
        // A value that cannot be written is left out; the rest still help.
        for (const auto& [name, data] : uninstallEntryValues(launchPath)) {
            if (const auto* text = std::get_if<std::string>(&data))
                static_cast<void>(key.setString(name, *text));
            else
                static_cast<void>(key.setDword(name, std::get<std::uint32_t>(data)));
        }
    }
    recordInstalledSize(installedSize);
}

void recordInstalledSize(std::uint32_t installedSize) {
    if (const RegistryKey key = RegistryKey::create(HKEY_CURRENT_USER, kUninstallKey, KEY_WRITE))
        static_cast<void>(key.setDword("EstimatedSize", kilobytes(installedSize)));

    const RegistryKey cache =
        RegistryKey::create(HKEY_CURRENT_USER, kInstalledSizeCacheKey, KEY_READ | KEY_WRITE);
    if (!cache) return;
    CacheRecord record{};
    DWORD type = 0;
    DWORD size = kCacheRecordSize;
    const LONG status = cache.read("SlowInfoCache", type, record.data(), size);
    if (status == ERROR_SUCCESS) {
        // A record of a layout we do not know belongs to Windows: leave it.
        if (type != REG_BINARY || size != kCacheRecordSize) return;
        putInstalledSize(record, installedSize);
    } else if (status == ERROR_MORE_DATA) {
        return;
    } else {
        record = newCacheRecord(installedSize);
    }
    static_cast<void>(cache.setBinary("SlowInfoCache", record.data(), kCacheRecordSize));
    static_cast<void>(cache.setDword("Changed", 0));
}

bool readUninstallValue(const char* name, std::string& text) {
    const RegistryKey key = RegistryKey::open(HKEY_CURRENT_USER, kUninstallKey, KEY_READ);
    if (!key) return false;
    wchar_t buffer[kUninstallValueCapacity];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (key.read(name, type, buffer, size) != ERROR_SUCCESS || type != REG_SZ) return false;
    // The registry does not promise a terminator; a value that fills the
    // buffer without one would be read past its end.
    if (std::wmemchr(buffer, L'\0', size / sizeof(wchar_t)) == nullptr) return false;
    text = toUtf8(buffer);
    return true;
}

void finishInstallation(const std::string& launchPath, std::uint32_t installedSize,
                        const InstallOptions& options, const ProgramLauncher& launch) {
    struct Place {
        bool wanted;
        int folder;
        const char* subfolder;
        const char* arguments;
    };
    const Place places[] = {
        {true, kProgramsFolder, nullptr, nullptr},
        {options.quickLaunchShortcut, kAppDataFolder, kQuickLaunchSubfolder, nullptr},
        {options.desktopShortcut, kDesktopFolder, nullptr, nullptr},
        {options.startWithWindows, kStartupFolder, nullptr, kAutostartArgument},
    };
    // Nothing of this may fail visibly: whatever cannot be done is skipped.
    try {
        for (const Place& place : places) {
            std::string file;
            if (place.wanted && shortcutPath(launchPath, place.folder, place.subfolder, file))
                static_cast<void>(createShortcut(file, launchPath, kProductDescription, place.arguments));
        }
        writeUninstallEntry(launchPath, installedSize);
        if (launch) static_cast<void>(launch(launchPath.c_str()));
    } catch (...) {
    }
}

}  // namespace tarnwick
