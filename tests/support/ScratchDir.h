#pragma once

#include <filesystem>
#include <string>

namespace tarnwick::test {

// A fresh folder of the test's own under the system's temporary folder,
// removed with everything in it when the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir();

    const std::filesystem::path& path() const { return path_; }
    // The path of name inside the folder, as a narrow string for C APIs.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path path_;
};

}  // namespace tarnwick::test
