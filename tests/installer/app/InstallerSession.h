#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/platform/win32/UniqueHandle.h"

namespace tarnwick::test {

// Tarnwick.exe and the programs it starts are processes of their own, which
// no scratch user of the test's reaches: the suites work on the user of the
// Wine prefix they run in, which belongs to the build. On a real desktop that
// user would be a person's, so there the suites touch nothing.
bool runsUnderWine();

std::string specialFolder(int folder);
// Where a successful run puts the client.
std::string installedProgram();
// A value of the uninstall entry; empty when there is none.
std::string valueOf(const char* name);

// The sample client and a text file, packed as version 7.
inline constexpr const char kPackageName[] = "client.bin";
// The same package, served only to requests that came through the HTTP
// proxy (127.0.6.2:3128 or, asking for a password, 127.0.6.5:3128), only to
// those the SOCKS proxy relayed (127.0.6.3:1080), and only to requests for a
// range.
inline constexpr const char kProxiedPackageName[] = "proxied.bin";
inline constexpr const char kSocksedPackageName[] = "socksed.bin";
inline constexpr const char kResumedPackageName[] = "resumed.bin";
// A web server that plays what the test asks of it, such as breaking off.
inline constexpr const char kScriptedWebServer[] = "127.0.6.4";

// The rendezvous server's options for offering the package NAME on host.
std::vector<std::string> offer(const std::string& name = kPackageName, const std::string& host = "127.0.6.1");

// The package, built once; servePackage puts it under each of its names.
const std::vector<std::uint8_t>& package();
void servePackage();

// Makes url_recorder the handler of http addresses, in place of the browser,
// and puts the browser back.
void useUrlRecorder();
void restoreBrowser();

// Every trace of a registration of target (its shortcuts go by its name).
void removeRegistration(const std::string& target);
// No installation, download record, proxy settings or log.
void removeInstallation();

// Where Tarnwick.exe keeps its log unless told otherwise, and all of it.
std::string defaultLogPath();
std::string logText(const std::string& path = defaultLogPath());

// The programs the installer starts write records that are waited for; a
// record that stays short is read after a while.
std::vector<std::string> awaitLines(const std::string& file, std::size_t count);

// Where Wine shows a path of the machine it runs on: drive Z: is its root.
std::string windowsPath(const std::string& unixPath);

// The peers of the suite (app-peers.sh), under this folder of the machine.
std::string peersFolder();

// Restarts the reference rendezvous server with these options (those of
// tarnwick-rendezvous); without any it is stopped, and the installer finds
// no server. Returns once the switch is done.
[[nodiscard]] bool useRendezvous(const std::vector<std::string>& options);

// Puts a file where nginx serves it as http://127.0.6.1/NAME.
void serveFile(const std::string& name, const std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> readFile(const std::string& path);
// The lines of a text file; none when it does not exist.
std::vector<std::string> readLines(const std::string& path);

// One run of Tarnwick.exe, started as a person starts it (no arguments) or
// as an administrator's script does, with the environment of the test (so
// the sample client and the address recorder it starts write their records
// where the test says).
class InstallerProcess {
public:
    explicit InstallerProcess(const std::string& arguments = std::string());
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;
    // Ends a run that the test left hanging.
    ~InstallerProcess();

    bool started() const { return static_cast<bool>(process_); }
    // True when the program ended in time; code is then its exit code.
    [[nodiscard]] bool waitForExit(int timeoutMs, DWORD& code);

    // For failure messages: what became of the latest run still held,
    // "not started (error N)", "running" or "ended with code N".
    static std::string latestState();

private:
    platform::UniqueHandle process_;
    DWORD startError_ = 0;
    static InstallerProcess* latest_;
};

}  // namespace tarnwick::test
