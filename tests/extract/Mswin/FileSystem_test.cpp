#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "extract/Mswin/Directories.h"
#include "extract/Mswin/Files.h"
#include "extract/Mswin/Paths.h"
#include "extract/Mswin/Text.h"
#include "extract/Ostrel/Log.h"
#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;

std::u16string Sep() {
    return std::u16string(1, Mswin::PathSeparator());
}

class FileSystemTest : public ::testing::Test {
protected:
    std::u16string Path(const std::u16string& relative) const {
        return scratch_.path().u16string() + Sep() + relative;
    }
    tarnwick::test::ScratchDir scratch_;
};

TEST_F(FileSystemTest, CreatesMissingFoldersOutsideIn) {
    Mswin::CreateDirectories(Path(u"one" + Sep() + u"two" + Sep() + u"three"));
    EXPECT_TRUE(fs::is_directory(scratch_.path() / "one" / "two" / "three"));

    // Everything exists now: nothing to do, nothing thrown.
    EXPECT_NO_THROW(Mswin::CreateDirectories(Path(u"one" + Sep() + u"two")));
}

TEST_F(FileSystemTest, FileInPlaceOfAFolderFailsAtTheNextLevel) {
    std::ofstream(scratch_.path() / "blocker") << "x";
    const std::u16string deeper = Path(u"blocker" + Sep() + u"inner");
    try {
        Mswin::CreateDirectories(deeper + Sep() + u"leaf");
        FAIL() << "a folder below a file was created";
    } catch (const Ostrel::Log::LogException& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr(" - Failed to create directory (" +
                                                  Mswin::Utf16ToUtf8(deeper + Sep()) + "): "),
                                        EndsWith(")\n")));
    }
}

TEST_F(FileSystemTest, OpeningAMissingFileNamesPathAndError) {
    const std::u16string missing = Path(u"missing.bin");
    try {
        (void)Mswin::OpenFileHandle(missing, Mswin::kOpenExisting, Mswin::kGenericRead);
        FAIL() << "a missing file was opened";
    } catch (const Ostrel::Log::LogException& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr(" - Could not open " + Mswin::Utf16ToUtf8(missing) + ". "),
                                        EndsWith(" (2)\n")));
    }
}

TEST_F(FileSystemTest, OutputReplacesAndTruncatesAndHandlesShareOneFile) {
    const std::u16string path = Path(u"data.bin");
    std::ofstream(fs::path(path)) << std::string(100, 'x');
    {
        Mswin::ScopedHandle first = Mswin::OpenFileHandle(path, Mswin::kCreateAlways, Mswin::kGenericAll);
        Mswin::ScopedHandle copy = first;
        EXPECT_EQ(copy.Get(), first.Get());
        first = Mswin::ScopedHandle();
        std::uint32_t written = 0;
        ASSERT_TRUE(Mswin::WriteToFile(copy.Get(), "abc", 3, &written)) << "the copy keeps the file open";
        EXPECT_EQ(written, 3u);
    }
    EXPECT_EQ(pakloom::test::FileText(fs::path(path)), "abc");
}

}  // namespace
