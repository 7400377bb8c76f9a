#pragma once

// What the engine stand-ins share: the mode a test chose, and the events
// they record for it (see FakeEngine.cpp). Each stand-in is a module of one
// file, which includes this once.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string Mode() {
    const char* mode = std::getenv("PAKLOOM_FAKE_ENGINE_MODE");
    return mode ? mode : "";
}

inline void Record(const std::string& event) {
    const char* path = std::getenv("PAKLOOM_FAKE_ENGINE_EVENTS");
    if (!path) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", event.c_str());
        std::fclose(file);
    }
}

// Not std::to_string: its inline tables would be unique symbols, and the
// dynamic linker never unloads a module that defines one.
inline std::string Number(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return text;
}

// Runs when the module is unloaded, after everything else in it.
namespace {
struct UnloadRecorder {
    ~UnloadRecorder() { Record("unloaded"); }
} unloadRecorder;

}  // namespace
