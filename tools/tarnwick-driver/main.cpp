// tarnwick-driver: plays the person in front of the installer, for the
// demonstration.
//
//   tarnwick-driver demo SHOTDIR   clicks Install (or Launch when the client
//                                  is installed already), waits for the
//                                  started client and saves a screenshot of
//                                  each step as SHOTDIR\NAME.bmp
//   tarnwick-driver report         prints the uninstall entry, the size cache
//                                  and the shortcuts of the installed client
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/tarnwick-driver/Shortcut.h"
#include "tools/tarnwick-driver/WindowDriver.h"

namespace {

using namespace tarnwick::driver;

constexpr int kFirstWindowMs = 180000;  // a new Wine prefix is created first
constexpr int kStepMs = 120000;
constexpr const char kClientCaption[] = "Tarnwick";
constexpr const char kNoResponseCaption[] = "No Response From Tarnwick Server";

void shoot(HWND window, const std::string& folder, const char* name) {
    Sleep(700);  // let the window finish painting
    const std::string file = folder + "\\" + name + ".bmp";
    std::printf(saveScreenshot(window, file) ? "driver: saved %s\n" : "driver: could not save %s\n",
                file.c_str());
    std::fflush(stdout);
}

// Waits for the client that the installer started, or the retry dialog of a
// run that failed; 0 when the client came up.
int awaitClient(const std::string& shots) {
    const char* const endings[] = {kClientCaption, kNoResponseCaption};
    int which = 0;
    const HWND window = waitForAnyWindow(endings, 2, kStepMs, which);
    if (window == nullptr) {
        std::printf("driver: the client did not start; windows shown: %s\n", visibleWindowCaptions().c_str());
        return 1;
    }
    if (which == 1) {
        shoot(window, shots, "no-response");
        std::puts("driver: the update run failed (No Response); choosing Exit");
        click(window, IDCANCEL);
        return 1;
    }
    shoot(window, shots, "3-client");
    std::puts("driver: the installed client is running; closing it");
    closeWindow(window);
    return 0;
}

int demo(const std::string& shots) {
    const char* const openings[] = {"Tarnwick - Install", "Tarnwick - Already Installed"};
    int which = 0;
    const HWND dialog = waitForAnyWindow(openings, 2, kFirstWindowMs, which);
    if (dialog == nullptr) {
        std::printf("driver: the installer showed no dialog; windows shown: %s\n",
                    visibleWindowCaptions().c_str());
        return 1;
    }
    if (which == 1) {
        shoot(dialog, shots, "1-already-installed");
        std::puts("driver: already installed; clicking Launch");
        click(dialog, IDOK);
        return awaitClient(shots);
    }
    shoot(dialog, shots, "1-options");
    std::puts("driver: clicking Install with every option ticked");
    click(dialog, IDOK);
    const HWND progress = waitForWindow("Downloading latest Tarnwick update...", kStepMs);
    if (progress != nullptr) {
        Sleep(1500);  // well into the download
        shoot(progress, shots, "2-progress");
    }
    return awaitClient(shots);
}

void printValue(const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::printf("  %-20s %.*s\n", name, static_cast<int>(size), reinterpret_cast<const char*>(data));
    } else if (type == REG_DWORD && size == 4) {
        DWORD number = 0;
        std::memcpy(&number, data, 4);
        std::printf("  %-20s %lu\n", name, static_cast<unsigned long>(number));
    } else {
        std::printf("  %-20s (%lu bytes of binary data)\n", name, static_cast<unsigned long>(size));
    }
}

void printKey(const char* path) {
    std::printf("HKCU\\%s\n", path);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::puts("  (missing)");
        return;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        BYTE data[1024];
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        // Text values count their terminator; it is not shown.
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && data[size - 1] == 0) --size;
        printValue(name, type, data, size);
    }
    RegCloseKey(key);
}

void printShortcut(int folder, const char* below) {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, folder, FALSE)) return;
    std::string file = path;
    if (below != nullptr) file += std::string("\\") + below;
    file += "\\Tarnwick.lnk";
    ShortcutFacts facts;
    if (!readShortcut(file, facts)) {
        std::printf("  %s: none\n", file.c_str());
        return;
    }
    std::printf("  %s\n      -> %s %s (\"%s\")\n", file.c_str(), facts.target.c_str(),
                facts.arguments.c_str(), facts.description.c_str());
}

int report() {
    [[maybe_unused]] const HRESULT com = CoInitialize(nullptr);
    printKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick");
    printKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Tarnwick");
    std::puts("Shortcuts");
    printShortcut(CSIDL_PROGRAMS, nullptr);
    printShortcut(CSIDL_DESKTOPDIRECTORY, nullptr);
    printShortcut(CSIDL_APPDATA, "Microsoft\\Internet Explorer\\Quick Launch");
    printShortcut(CSIDL_STARTUP, nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "demo") == 0) return demo(argv[2]);
        if (argc == 2 && std::strcmp(argv[1], "report") == 0) return report();
    } catch (...) {
        std::puts("driver: unexpected failure");
        return 1;
    }
    std::fputs("usage: tarnwick-driver demo SHOTDIR | report\n", stderr);
    return 2;
}
