#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/platform/win32/UniqueHandle.h"

namespace tarnwick::test {

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

// One run of Tarnwick.exe, started as a person starts it: no arguments, and
// the environment of the test (so the sample client and the address
// recorder it starts write their records where the test says).
class InstallerProcess {
public:
    InstallerProcess();
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
