#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace tarnwick {

// What the installer did, for administrators and support: one line per
// event, led by the local time to the millisecond. Lines are appended, so
// the runs on a machine follow one another in one file. Once the file would
// grow past its cap it is renamed to the same name with ".1" (replacing the
// older one) and a new file begins, so two files at most are ever kept.
//
// Each layer that reports is handed a Log pointer, where null reports
// nothing. The text goes to disk as it is: never hand it a secret.
class Log {
public:
    static constexpr std::uint64_t kDefaultCapBytes = 1024 * 1024;

    explicit Log(std::string path, std::uint64_t capBytes = kDefaultCapBytes);
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // Formats one line printf-style; the line feed is added. Any thread may
    // write. A line that cannot be written is lost: a log must never be the
    // reason an install fails.
    void write(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    const std::string& path() const {
        return path_;
    }
    std::string rolledPath() const {
        return path_ + ".1";
    }

private:
    void append(const std::string& line);

    const std::string path_;
    const std::uint64_t capBytes_;
    std::mutex mutex_;
};

}  // namespace tarnwick
