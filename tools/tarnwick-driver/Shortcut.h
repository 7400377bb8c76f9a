#pragma once

#include <string>

namespace tarnwick::driver {

// What a shell link file says. COM must be initialised on the thread.
struct ShortcutFacts {
    std::string target;
    std::string arguments;
    std::string description;
    std::string workingFolder;
};

// False, with facts unchanged, when the file is no readable shell link.
// The file name is in the ANSI code page, as the installer writes it.
[[nodiscard]] bool readShortcut(const std::string& file, ShortcutFacts& facts);

}  // namespace tarnwick::driver
