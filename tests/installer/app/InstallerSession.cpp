#include "InstallerSession.h"

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "installer/net/ProxySettings.h"
#include "installer/package/win32/Registration.h"
#include "tests/support/win32/RegistrationTesting.h"
#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick::test {

namespace fs = std::filesystem;

namespace {

constexpr const char kHttpCommandKey[] = "http\\shell\\open\\command";

std::string& previousHttpCommand() {
    static std::string command = "\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"";
    return command;
}

}  // namespace

bool runsUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string specialFolder(int folder) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, folder, TRUE);
    return path;
}

std::string installedProgram() {
    return specialFolder(kAppDataFolder) + "\\Tarnwick\\Tarnwick\\Tarnwick.exe";
}

std::string valueOf(const char* name) {
    for (const RegistryValue& value : readValues(kUninstallKey))
        if (value.name == name) return value.text();
    return std::string();
}

std::vector<std::string> offer(const std::string& name, const std::string& host) {
    return {"--offer", "http://" + host + "/" + name, "--version", "7"};
}

const std::vector<std::uint8_t>& package() {
    static const std::vector<std::uint8_t> bytes = [] {
        const std::vector<pack::Entry> entries = {
            {pack::kEntryFile, pack::kFlagClientProgram, "tarnwick-client.exe", 1700000000, 1700000000,
             readFile(TARNWICK_CLIENT_PATH)},
            {pack::kEntryFile, 0, "readme.txt", 1700000000, 1700000000, {'h', 'i', '\n'}},
        };
        pack::LzmaSettings fast;
        fast.level = 1;
        return pack::buildPackage(7, entries, fast);
    }();
    return bytes;
}

void servePackage() {
    for (const char* name : {kPackageName, kProxiedPackageName, kSocksedPackageName, kResumedPackageName})
        serveFile(name, package());
}

void useUrlRecorder() {
    char previous[1024] = {};
    LONG size = sizeof previous;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, previous, &size) == ERROR_SUCCESS)
        previousHttpCommand() = previous;
    // Built by appending: GCC 12 warns wrongly about a literal put before a
    // temporary string here.
    std::string recorder = "\"";
    recorder += fs::absolute(TARNWICK_URL_RECORDER_PATH).string();
    recorder += "\" \"%1\"";
    RegSetValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, REG_SZ, recorder.c_str(),
                 static_cast<DWORD>(recorder.size()));
}

void restoreBrowser() {
    const std::string& command = previousHttpCommand();
    RegSetValueA(HKEY_CLASSES_ROOT, kHttpCommandKey, REG_SZ, command.c_str(),
                 static_cast<DWORD>(command.size()));
}

void removeRegistration(const std::string& target) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kInstalledSizeCacheKey);
    for (int folder : {kProgramsFolder, kDesktopFolder, kStartupFolder})
        DeleteFileA(shortcutIn(folder, nullptr, target).c_str());
    DeleteFileA(shortcutIn(kAppDataFolder, kQuickLaunchSubfolder, target).c_str());
}

void removeInstallation() {
    removeRegistration(installedProgram());
    std::error_code ignored;
    // A client that a test started may still be ending and hold its file.
    for (int attempt = 0; attempt < 50; ++attempt) {
        fs::remove_all(specialFolder(kAppDataFolder) + "\\Tarnwick", ignored);
        if (!fs::exists(installedProgram())) break;
        Sleep(100);
    }
    fs::remove(preferencesFolder() + "TarnwickArchive", ignored);
    fs::remove(preferencesFolder() + "Proxies", ignored);
    fs::remove(defaultLogPath(), ignored);
    fs::remove(defaultLogPath() + ".1", ignored);
}

std::string defaultLogPath() {
    return preferencesFolder() + "Tarnwick.log";
}

std::string logText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> awaitLines(const std::string& file, std::size_t count) {
    for (int waited = 0; waited < 10000 && readLines(file).size() < count; waited += 50)
        Sleep(50);
    return readLines(file);
}

std::string windowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string peersFolder() {
    return TARNWICK_APP_PEERS;
}

bool useRendezvous(const std::vector<std::string>& options) {
    const std::string switched = windowsPath(peersFolder() + "/rendezvous/switched");
    DeleteFileA(switched.c_str());
    // Wine starts programs of the machine it runs on as it starts its own;
    // their arguments are passed on unchanged.
    std::string command = windowsPath(TARNWICK_APP_PEERS_SCRIPT) + " rendezvous " + peersFolder();
    for (const std::string& option : options)
        command += " " + option;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // The script gets no Windows process. Wine then leaves the process
    // information unset, so its "handles" are stack leftovers that may name
    // live handles of ours: closing one once closed HKEY_LOCAL_MACHINE under
    // the shell's feet. There is nothing to close.
    // The script's end is not reported back through Wine; its mark is.
    for (int waited = 0; waited < 20000; waited += 20) {
        if (GetFileAttributesA(switched.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(20);
    }
    return false;
}

void serveFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(windowsPath(peersFolder() + "/nginx/www/" + name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

InstallerProcess* InstallerProcess::latest_ = nullptr;

InstallerProcess::InstallerProcess(const std::string& arguments) {
    latest_ = this;
    std::string command = std::string("\"") + TARNWICK_INSTALLER_PATH + "\"";
    if (!arguments.empty()) command += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        const platform::UniqueHandle thread(process.hThread);
        process_.reset(process.hProcess);
    } else {
        startError_ = GetLastError();
    }
}

InstallerProcess::~InstallerProcess() {
    if (latest_ == this) latest_ = nullptr;
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.get(), 99);
}

bool InstallerProcess::waitForExit(int timeoutMs, DWORD& code) {
    if (!process_ || WaitForSingleObject(process_.get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process_.get(), &code) != 0;
}

std::string InstallerProcess::latestState() {
    const InstallerProcess* run = latest_;
    if (run == nullptr) return "none held";
    if (!run->process_) return "not started (error " + std::to_string(run->startError_) + ")";
    DWORD code = 0;
    if (WaitForSingleObject(run->process_.get(), 0) == WAIT_TIMEOUT) return "running";
    GetExitCodeProcess(run->process_.get(), &code);
    return "ended with code " + std::to_string(code);
}

}  // namespace tarnwick::test
