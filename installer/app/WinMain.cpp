// Tarnwick.exe: reads no command line and ends with exit code 0 on every
// path, whatever happened inside.
#include <windows.h>

#include <cstdio>

#include "installer/app/InstallerApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        tarnwick::InstallerApp app;
        // The quit message carries 0 as well; the loop's code adds nothing.
        if (app.InitInstance()) app.Run();
    } catch (...) {
        std::fputs("Tarnwick: unexpected failure\n", stderr);
    }
    return 0;
}
