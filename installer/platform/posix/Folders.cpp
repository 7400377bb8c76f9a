#include "installer/platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tarnwick::platform {

const char kPathSeparator = '/';

std::string programFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "./";
    }
    return program.parent_path().string() + kPathSeparator;
}

std::string userDataFolder() {
    std::string folder;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        folder = data;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!folderExists(folder)) {
        return {};
    }
    if (folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

bool folderExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

void createFolder(const std::string& path) {
    (void)::mkdir(path.c_str(), 0755);
}

}  // namespace tarnwick::platform
