#include <gtest/gtest.h>

#include <filesystem>

#include "extract/Mswin/Directories.h"
#include "tests/support/ScratchDir.h"

namespace {

// A destination may be written with forward slashes, or with both kinds.
TEST(WindowsDirectoriesTest, EitherSlashSeparatesTheFoldersToCreate) {
    const tarnwick::test::ScratchDir scratch;
    const std::u16string root = scratch.path().u16string();
    Mswin::CreateDirectories(root + u"/one/two\\three/");
    EXPECT_TRUE(std::filesystem::is_directory(scratch.path() / "one" / "two" / "three"));
}

}  // namespace
