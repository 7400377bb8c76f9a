#include "installer/platform/Process.h"

#include <windows.h>

#include <string>

#include "installer/platform/win32/UniqueHandle.h"

namespace tarnwick::platform {

bool startProgram(const char* applicationName, const char* commandLine, const char* workingFolder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // CreateProcessA may write into the command line; it gets a copy.
    std::string line = commandLine ? commandLine : "";
    const BOOL started = CreateProcessA(
        applicationName, commandLine ? line.data() : nullptr, nullptr, nullptr, FALSE, 0, nullptr,
        workingFolder && *workingFolder ? workingFolder : nullptr, &startup, &process);
    if (!started) return false;
    // The program is not waited for; its handles are not needed.
    const UniqueHandle thread(process.hThread);
    const UniqueHandle program(process.hProcess);
    return true;
}

}  // namespace tarnwick::platform
