#include "tools/tarnwick-pack/FolderScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "tests/support/ScratchDir.h"

namespace tarnwick::pack {
namespace {

namespace fs = std::filesystem;

// The message that scanning root gives, or "" when it succeeds.
std::string scanProblem(const fs::path& root, const ScanOptions& options = {}) {
    try {
        scanFolder(root.string(), options);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(FolderScan, PacksFoldersBeforeTheirFilesAndFlagsTheProgram) {
    test::ScratchDir scratch;
    fs::create_directories(scratch.path() / "bin");
    writeText(scratch.path() / "bin" / "client.exe", "program");
    writeText(scratch.path() / "readme.txt", "hello");
    ScanOptions options;
    options.clientProgram = "bin\\client.exe";
    options.removals = {"old.dll"};
    const auto entries = scanFolder(scratch.path().string(), options);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].kind, kEntryRemoval);
    EXPECT_EQ(entries[1].kind, kEntryFolder);
    EXPECT_EQ(entries[1].name, "bin");
    EXPECT_EQ(entries[2].name, "bin\\client.exe");
    EXPECT_EQ(entries[2].flags, kFlagClientProgram);
    EXPECT_EQ(entries[3].name, "readme.txt");
    EXPECT_EQ(std::string(entries[3].content.begin(), entries[3].content.end()), "hello");
}

// A package the installer would refuse, or one holding what the folder only
// points at, is not built; the message names the item.
TEST(FolderScan, RefusesWhatTheInstallerWouldRefuseNamingTheItem) {
    const auto plainFile = [](const fs::path& item) { writeText(item, "x"); };
    fs::path deep;  // eight folders that fit, and a file that takes the name past 2,047 bytes
    for (int level = 0; level < 8; ++level)
        deep /= std::string(250, 'n');
    deep /= std::string(50, 'f');
    const struct {
        fs::path item;
        std::function<void(const fs::path&)> make;
        const char* reason;
    } cases[] = {
        {"Aux", [](const fs::path& item) { fs::create_directory(item); }, "device"},
        {"client.exe.", plainFile, "dot"},
        {"a:b", plainFile, "colon"},
        {"a\\b", plainFile, "backslash"},
        {deep,
         [&](const fs::path& item) {
             fs::create_directories(item.parent_path());
             plainFile(item);
         },
         "2,048"},
        {"huge.bin",
         [&](const fs::path& item) {
             plainFile(item);
             fs::resize_file(item, std::uintmax_t{1} << 32);  // sparse: no disk used
         },
         "4 GiB"},
        {"file-link", [](const fs::path& item) { fs::create_symlink("/etc/passwd", item); }, "link"},
        {"folder-link", [](const fs::path& item) { fs::create_directory_symlink("/etc", item); }, "link"},
        {"pipe", [](const fs::path& item) { ::mkfifo(item.c_str(), 0600); }, "neither"},
    };
    for (const auto& refused : cases) {
        test::ScratchDir scratch;
        writeText(scratch.path() / "fine.txt", "x");
        const fs::path item = scratch.path() / refused.item;
        refused.make(item);
        const std::string problem = scanProblem(scratch.path());
        EXPECT_NE(problem.find(item.string() + ": "), std::string::npos) << problem;
        EXPECT_NE(problem.find(refused.reason), std::string::npos) << problem;
    }

    test::ScratchDir scratch;
    ScanOptions options;
    options.removals = {"nul.txt"};
    EXPECT_NE(scanProblem(scratch.path(), options).find("nul.txt"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::pack
