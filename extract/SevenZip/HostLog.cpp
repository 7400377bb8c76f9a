#include "extract/SevenZip/HostLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace SevenZip {
namespace {

// Relaxed: a plain pointer-sized store and load, as the hosts expect.
std::atomic<PakloomLogCallback> hostCallback{nullptr};

}  // namespace

void SetHostLogCallback(PakloomLogCallback callback) {
    hostCallback.store(callback, std::memory_order_relaxed);
}

void LogToHost(const char* format, ...) {
    const PakloomLogCallback callback = hostCallback.load(std::memory_order_relaxed);
    if (!callback) return;
    char line[1024] = {};
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    line[sizeof line - 1] = '\0';
    callback(line);
}

}  // namespace SevenZip
