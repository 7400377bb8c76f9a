#include "installer/package/LaunchProgram.h"

#include <cstring>
#include <string>

#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"
#include "installer/platform/Process.h"

namespace tarnwick {

namespace {

// The folder part of a program path; a root keeps its separator (C:\ or /).
std::string folderOf(const std::string& program) {
    const std::size_t cut = program.rfind(platform::kPathSeparator);
    if (cut == std::string::npos) return std::string();
    if (cut == 0 || (cut == 2 && program[1] == ':')) return program.substr(0, cut + 1);
    return program.substr(0, cut);
}

}  // namespace

// The working folder is taken from the program's own path rather than by
// cutting the whole text at its last separator: arguments may hold
// separators too (/uninstall natively, C:\x in an argument on Windows).
bool launchProgram(const char* text) {
    if (!text || !*text) return false;
    const std::string command(text);
    if (command.front() == '"') {
        const std::size_t close = command.find('"', 1);
        const std::string program =
            command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        return platform::startProgram(nullptr, text, folderOf(program).c_str());
    }
    if (platform::pathExists(text)) return platform::startProgram(text, nullptr, folderOf(command).c_str());
    // Unquoted text with arguments. Handed over as it stands, Windows would
    // try each blank in turn as the end of the program (C:\Documents.exe
    // first), so the program part is found here, the longest part before a
    // blank that names a file, and quoted.
    for (std::size_t blank = command.rfind(' '); blank != std::string::npos && blank > 0;
         blank = command.rfind(' ', blank - 1)) {
        const std::string program = command.substr(0, blank);
        if (!platform::pathExists(program.c_str()) || platform::folderExists(program)) continue;
        const std::string line = '"' + program + '"' + command.substr(blank);
        return platform::startProgram(nullptr, line.c_str(), folderOf(program).c_str());
    }
    return false;
}

}  // namespace tarnwick
