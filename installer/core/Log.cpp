#include "installer/core/Log.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

#include "installer/platform/FileSystem.h"

namespace tarnwick {

namespace {

// "2026-12-08 14:21:41.489 " in local time, as a person at the machine reads
// the clock.
std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    // localtime's result is shared by the whole process; the caller holds
    // the log's lock, and nothing else in the installer asks for it.
    const std::tm* local = std::localtime(&seconds);
    char text[40] = {};
    if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0) return "? ";
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%s.%03d ", text, static_cast<int>(millis));
    return stamp;
}

}  // namespace

Log::Log(std::string path, std::uint64_t capBytes) : path_(std::move(path)), capBytes_(capBytes) {}

void Log::write(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string line;
    if (length > 0) {
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        line.assign(text.data(), static_cast<std::size_t>(length));
    }
    va_end(again);
    append(line);
}

void Log::append(const std::string& message) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::string line = timestamp() + message + "\n";
    std::FILE* file = platform::openFile(path_.c_str(), "ab");
    if (file == nullptr) return;
    // Appending leaves the position at the end only once something is
    // written; ask the end itself.
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size > 0 && static_cast<std::uint64_t>(size) + line.size() > capBytes_) {
        std::fclose(file);
        // In one step, so that the older file is only lost once the newer
        // takes its place. When the move fails (another program holds the
        // file), the line still goes to the full file.
        (void)platform::replaceFile(path_.c_str(), rolledPath().c_str());
        file = platform::openFile(path_.c_str(), "ab");
        if (file == nullptr) return;
    }
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

}  // namespace tarnwick
