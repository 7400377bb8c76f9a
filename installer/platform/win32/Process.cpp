#include "installer/platform/Process.h"

#include <windows.h>

#include <string>

#include "installer/platform/win32/UniqueHandle.h"
#include "installer/platform/win32/WideText.h"

namespace tarnwick::platform {

bool startProgram(const char* applicationName, const char* commandLine, const char* workingFolder) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const std::wstring application = applicationName ? toUtf16(applicationName) : std::wstring();
    // CreateProcessW may write into the command line; it gets a copy.
    std::wstring line = commandLine ? toUtf16(commandLine) : std::wstring();
    const std::wstring folder = workingFolder ? toUtf16(workingFolder) : std::wstring();
    const BOOL started = CreateProcessW(
        applicationName ? application.c_str() : nullptr, commandLine ? line.data() : nullptr, nullptr,
        nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    if (!started) return false;
    // The program is not waited for; its handles are not needed.
    const UniqueHandle thread(process.hThread);
    const UniqueHandle program(process.hProcess);
    return true;
}

}  // namespace tarnwick::platform
