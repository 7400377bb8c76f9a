#include "installer/platform/win32/SpecialFolders.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "installer/platform/Folders.h"
#include "tests/support/ScratchDir.h"

namespace tarnwick::platform {
namespace {

std::string systemsFolder(int folder) {
    char path[MAX_PATH + 1] = {};
    return SHGetSpecialFolderPathA(nullptr, path, folder, FALSE) ? path : "";
}

TEST(SpecialFolders, PlacedBelowARootEachIsMadeOnDemandUntilTheSystemsComeBack) {
    std::string desktop = "unchanged";
    ASSERT_TRUE(specialFolderPath(CSIDL_DESKTOPDIRECTORY, desktop));
    EXPECT_EQ(desktop, systemsFolder(CSIDL_DESKTOPDIRECTORY));

    const test::ScratchDir scratch;
    const std::string root = scratch.file("user");
    EXPECT_EQ(placeSpecialFoldersBelow(root), "");
    for (const int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_APPDATA}) {
        std::string path;
        ASSERT_TRUE(specialFolderPath(folder, path)) << folder;
        EXPECT_EQ(path, root + "\\" + std::to_string(folder));
        EXPECT_TRUE(std::filesystem::is_directory(path)) << folder;
    }
    EXPECT_EQ(userDataFolder(), root + "\\26\\");

    EXPECT_EQ(placeSpecialFoldersBelow(""), root);
    ASSERT_TRUE(specialFolderPath(CSIDL_DESKTOPDIRECTORY, desktop));
    EXPECT_EQ(desktop, systemsFolder(CSIDL_DESKTOPDIRECTORY));
}

}  // namespace
}  // namespace tarnwick::platform
