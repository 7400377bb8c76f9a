// The sample client: shows how it was started, starts minimised with
// /autostart, removes the installation with /uninstall. The environment
// variable TARNWICK_CLIENT_RECORD names a file to which it appends its
// arguments and window state instead of showing a window, for tests.
#include <windows.h>

#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "ClientWindow.h"
#include "Removal.h"

namespace {

bool hasSwitch(const std::string& arguments, const char* name) {
    std::istringstream words(arguments);
    std::string word;
    while (words >> word)
        if (lstrcmpiA(word.c_str(), name) == 0) return true;
    return false;
}

bool recordStart(const char* file, const std::string& arguments, bool minimised) {
    std::FILE* record = std::fopen(file, "a");
    if (record == nullptr) return false;
    std::fprintf(record, "args:%s\nshow:%s\n", arguments.c_str(), minimised ? "minimised" : "normal");
    return std::fclose(record) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace tarnwick::client;
    const std::string arguments = PathGetArgsA(GetCommandLineA());
    if (arguments.rfind(kRemoveFolderSwitch, 0) == 0)
        return finishFolderRemoval(arguments.substr(sizeof kRemoveFolderSwitch - 1));
    if (hasSwitch(arguments, "/uninstall")) return uninstall();

    const bool minimised = hasSwitch(arguments, "/autostart");
    if (const char* record = std::getenv("TARNWICK_CLIENT_RECORD"))
        return recordStart(record, arguments, minimised) ? 0 : 1;
    return runClientWindow(instance, arguments, minimised ? SW_SHOWMINNOACTIVE : show);
}
