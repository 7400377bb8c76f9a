#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include "installer/platform/win32/UniqueHandle.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

namespace tarnwick::test {

// Keeps an existing file busy, as a client left running or a virus scanner
// would, for as long as the object lives or until release. On Windows it is
// opened without sharing, which Wine enforces between handles as Windows
// does. Elsewhere no sharing modes exist: a small program is copied over the
// file and started from it, and the system refuses to open a running
// program for writing. The file's content is then that program's.
class HeldFile {
public:
    explicit HeldFile(const std::filesystem::path& path) {
#ifdef _WIN32
        file_.reset(CreateFileA(path.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file_) throw std::runtime_error("cannot hold " + path.string());
#else
        std::filesystem::copy_file("/bin/sleep", path, std::filesystem::copy_options::overwrite_existing);
        const std::string program = path.string();
        char seconds[] = "60";
        char* const arguments[] = {const_cast<char*>(program.c_str()), seconds, nullptr};
        // posix_spawn returns once the program runs from the file.
        if (posix_spawn(&process_, program.c_str(), nullptr, nullptr, arguments, nullptr) != 0)
            throw std::runtime_error("cannot run " + program);
#endif
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile() {
        release();
    }

    void release() {
#ifdef _WIN32
        file_.reset();
#else
        if (process_ == 0) return;
        kill(process_, SIGKILL);
        waitpid(process_, nullptr, 0);
        process_ = 0;
#endif
    }

private:
#ifdef _WIN32
    platform::UniqueFileHandle file_;
#else
    pid_t process_ = 0;
#endif
};

}  // namespace tarnwick::test
