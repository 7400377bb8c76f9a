#include "InstallerSession.h"

#include <fstream>
#include <iterator>

namespace tarnwick::test {

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

InstallerProcess::InstallerProcess() {
    latest_ = this;
    std::string command = std::string("\"") + TARNWICK_INSTALLER_PATH + "\"";
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
