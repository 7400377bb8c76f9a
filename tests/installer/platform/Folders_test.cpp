#include "installer/platform/Folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ScratchDir.h"
#include "tests/support/UserDataFolder.h"

namespace tarnwick::platform {
namespace {

namespace fs = std::filesystem;

TEST(Folders, TheProgramsFolderHoldsTheRunningProgram) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kPathSeparator);
    bool found = false;
    for (const auto& entry : fs::directory_iterator(folder))
        found |= entry.path().stem() == "installer_platform_tests";
    EXPECT_TRUE(found) << folder;
}

TEST(Folders, UserDataExistsAndEndsWithTheSeparator) {
    const test::ScopedUserDataFolder scratch;
    const std::string folder = userDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kPathSeparator);
    EXPECT_TRUE(folderExists(folder));
}

TEST(Folders, CreatingMakesOneLevelAndOnlyFoldersExist) {
    const test::ScratchDir scratch;
    const std::string one = scratch.file("one");
    const std::string deeper = scratch.file("two") + kPathSeparator + "three";
    createFolder(one);
    createFolder(deeper);
    EXPECT_TRUE(folderExists(one));
    EXPECT_FALSE(folderExists(deeper)) << "its parent is missing";
    createFolder(one);
    EXPECT_TRUE(folderExists(one)) << "an existing folder stays";

    const std::string file = scratch.file("file");
    std::ofstream(file) << "a file";
    EXPECT_FALSE(folderExists(file));
    EXPECT_FALSE(folderExists(scratch.file("absent")));
}

}  // namespace
}  // namespace tarnwick::platform
