#include "installer/platform/FileSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "installer/platform/Folders.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/Utf8Names.h"

namespace tarnwick::platform {
namespace {

namespace fs = std::filesystem;
using test::utf8Text;

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

TEST_F(FileSystem, PackageNamesTakeThisSystemsSeparatorsAndKeepTheirUtf8) {
    char name[64] = "bin\\data\\a.txt";
    ASSERT_TRUE(toNativeEntryName(name, sizeof name));
    EXPECT_EQ(std::string(name), std::string("bin") + kPathSeparator + "data" + kPathSeparator + "a.txt");
    for (const auto& each : test::kNamesBeyondAscii) {
        std::string text = each.file;
        text.resize(64);
        ASSERT_TRUE(toNativeEntryName(text.data(), text.size()));
        EXPECT_EQ(std::string(text.c_str()), each.file);
    }
}

// Every routine takes the UTF-8 path as it stands, down to the names that
// land on disk: a path read in an ANSI code page would make other names, or
// none at all.
TEST_F(FileSystem, NamesBeyondAsciiReachTheDiskAsWritten) {
    const std::string base = utf8Text(scratch_.path()) + kPathSeparator + "Ablage 📁 ü";
    createFolder(base);
    ASSERT_TRUE(folderExists(base));
    ASSERT_TRUE(fs::is_directory(test::utf8Path(base)));
    EXPECT_GT(freeBytesForCaller(base.c_str()), 0u);

    for (const auto& name : test::kNamesBeyondAscii) {
        std::string folder = base;
        if (*name.folder) {
            folder += kPathSeparator + std::string(name.folder);
            createFolder(folder);
            EXPECT_TRUE(folderExists(folder)) << name.folder;
        }
        const std::string file = folder + kPathSeparator + name.file;
        const std::string content = std::string("content of ") + name.file;
        ASSERT_TRUE(writeFileWithTimes(file.c_str(), reinterpret_cast<const std::uint8_t*>(content.data()),
                                       static_cast<std::uint32_t>(content.size()), 1500000000, 1400000000))
            << name.file;
        EXPECT_EQ(contentOf(test::utf8Path(file)), content) << name.file;
        EXPECT_TRUE(pathExists(file.c_str())) << name.file;
        EXPECT_FALSE(fileIsInUse(file.c_str())) << name.file;
        EXPECT_EQ(firstFileInUseIn(folder.c_str()), "") << name.file;

        setFileTimes(file.c_str(), 1600000000, 1400000000);
        const auto written = std::chrono::file_clock::to_sys(fs::last_write_time(test::utf8Path(file)));
        EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(written.time_since_epoch()).count(),
                  1600000000)
            << name.file;
    }

    // Exactly these names, nothing read otherwise.
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(test::utf8Path(base)))
        found.insert(utf8Text(fs::relative(entry.path(), test::utf8Path(base))));
    std::set<std::string> expected;
    for (const auto& name : test::kNamesBeyondAscii) {
        if (*name.folder) expected.insert(name.folder);
        expected.insert(utf8Text(test::utf8Path(name.folder) / test::utf8Path(name.file)));
    }
    EXPECT_EQ(found, expected);

    const std::string greek = base + kPathSeparator + "Ελληνικά" + kPathSeparator + "κείμενο.txt";
    EXPECT_EQ(deleteFile(greek.c_str()), 0);
    EXPECT_FALSE(fs::exists(test::utf8Path(greek)));
    EXPECT_EQ(removeTree(base.c_str()), 0);
    EXPECT_FALSE(fs::exists(test::utf8Path(base)));
}

TEST_F(FileSystem, FilesOpenByTheirUtf8Names) {
    const std::string path = utf8Text(scratch_.path()) + kPathSeparator + "Протокол ✓.bin";
    std::FILE* file = openFile(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_GE(std::fputs("record", file), 0);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(contentOf(test::utf8Path(path)), "record");
    EXPECT_EQ(openFile((path + "-absent").c_str(), "rb"), nullptr);
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
