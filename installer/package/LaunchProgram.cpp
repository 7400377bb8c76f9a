#include "installer/package/LaunchProgram.h"

#include <cstring>
#include <string>

#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"
#include "installer/platform/Process.h"

namespace tarnwick {

namespace {

// The text with its last path component removed; a component that holds
// arguments goes with it. A leading quote stays, as the caller strips it.
std::string removeFileSpec(const std::string& text) {
    const std::size_t cut = text.rfind(platform::kPathSeparator);
    if (cut == std::string::npos) return std::string();
    // A root keeps its separator, as C:\ or /.
    if (cut == 0 || (cut == 2 && text[1] == ':')) return text.substr(0, cut + 1);
    return text.substr(0, cut);
}

}  // namespace

bool launchProgram(const char* text) {
    if (!text || !*text) return false;
    const std::string command(text);
    const std::string folder = removeFileSpec(command);
    if (command.front() == '"')
        return platform::startProgram(nullptr, text, folder.c_str() + (folder.empty() ? 0 : 1));
    if (!platform::pathExists(text) && command.find(' ') != std::string::npos)
        return platform::startProgram(nullptr, text, folder.c_str());
    return platform::startProgram(text, nullptr, folder.c_str());
}

}  // namespace tarnwick
