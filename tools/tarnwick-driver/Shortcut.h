#pragma once

#include <string>

namespace tarnwick::driver {

// What a shell link file says, in UTF-8. COM must be initialised on the
// thread.
struct ShortcutFacts {
    std::string target;
    std::string arguments;
    std::string description;
    std::string workingFolder;
};

// False, with facts unchanged, when the file is no readable shell link.
// The file name is UTF-8, as the installer's paths are.
[[nodiscard]] bool readShortcut(const std::string& file, ShortcutFacts& facts);

}  // namespace tarnwick::driver
