#include "installer/platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "installer/platform/Folders.h"
#include "tests/support/ScratchDir.h"

namespace tarnwick::platform {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileSystem : public testing::Test {
protected:
    std::string write(const std::string& name, const std::string& content) {
        std::ofstream(scratch_.path() / name, std::ios::binary) << content;
        return scratch_.file(name);
    }
    std::string folder(const std::string& name) {
        fs::create_directories(scratch_.path() / name);
        return scratch_.file(name);
    }

    test::ScratchDir scratch_;
};

TEST_F(FileSystem, PackageNamesTakeThisSystemsSeparators) {
    char name[] = "bin\\data\\a.txt";
    toNativeSeparators(name);
    EXPECT_EQ(std::string(name), std::string("bin") + kPathSeparator + "data" + kPathSeparator + "a.txt");
}

TEST_F(FileSystem, DeletingTakesFilesOnly) {
    const std::string file = write("a.txt", "a");
    const std::string sub = folder("sub");
    EXPECT_TRUE(pathExists(file.c_str()));
    EXPECT_TRUE(pathExists(sub.c_str()));
    EXPECT_FALSE(pathExists(""));
    EXPECT_FALSE(pathExists(nullptr));

    EXPECT_EQ(deleteFile(file.c_str()), 0);
    EXPECT_FALSE(pathExists(file.c_str()));
    EXPECT_NE(deleteFile(file.c_str()), 0) << "gone already";
    EXPECT_NE(deleteFile(sub.c_str()), 0);
    EXPECT_TRUE(fs::is_directory(sub)) << "a folder stays";
}

TEST_F(FileSystem, ReplacingPutsTheNewFileInPlaceOrChangesNothing) {
    const std::string target = write("Tarnwick.exe", "old client, longer");
    ASSERT_TRUE(replaceFile(write("new.exe", "new").c_str(), target.c_str()));
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_FALSE(pathExists(scratch_.file("new.exe").c_str()));

    EXPECT_FALSE(replaceFile(scratch_.file("absent.exe").c_str(), target.c_str()));
    EXPECT_EQ(contentOf(target), "new");

    const std::string source = write("other.exe", "other");
    const std::string sub = folder("taken");
    write("taken/inside.txt", "inside");
    EXPECT_FALSE(replaceFile(source.c_str(), sub.c_str())) << "a folder of that name is not replaced";
    EXPECT_EQ(contentOf(source), "other");
    EXPECT_EQ(contentOf(fs::path(sub) / "inside.txt"), "inside");
}

TEST_F(FileSystem, RemovingATreeNeverReadsAnEmptyPathAsTheCurrentFolder) {
    const fs::path here = fs::current_path();
    fs::current_path(scratch_.path());
    write("keep.txt", "keep");
    EXPECT_EQ(removeTree(""), -1);
    EXPECT_EQ(removeTree(nullptr), -1);
    fs::current_path(here);
    EXPECT_TRUE(fs::exists(scratch_.path() / "keep.txt"));

    folder("tree/inner");
    write("tree/inner/a.txt", "a");
    EXPECT_EQ(removeTree((scratch_.file("tree") + kPathSeparator).c_str()), 0) << "one trailing separator";
    EXPECT_FALSE(fs::exists(scratch_.path() / "tree"));
}

TEST_F(FileSystem, FreeSpaceIsTheVolumesOrNothing) {
    EXPECT_GT(freeBytesForCaller(scratch_.path().string().c_str()), 0u);
    EXPECT_EQ(freeBytesForCaller(scratch_.file("absent").c_str()), 0u);
}

}  // namespace
}  // namespace tarnwick::platform
