// Tarnwick.exe: asks the user, and ends with exit code 0 on every path,
// whatever happened inside; or, given /silent, asks nothing and says in its
// exit code how the run ended.
#include <windows.h>

#include <cstdio>

#include "installer/app/CommandLine.h"
#include "installer/app/InstallerApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const tarnwick::CommandLine commandLine = tarnwick::parseCommandLine(arguments);
    try {
        tarnwick::InstallerApp app(commandLine);
        // The quit message carries 0 as well; the loop's code adds nothing.
        if (app.InitInstance()) app.Run();
        return app.exitCode();
    } catch (...) {
        std::fputs("Tarnwick: unexpected failure\n", stderr);
    }
    return commandLine.silent ? tarnwick::kExitFailed : 0;
}
