#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace pakloom::test {
namespace {

using ::testing::ElementsAre;

// Beyond the 260 characters of plain paths. The test reads the file back
// through the extended form, which the C runtime's own opening lacks.
TEST(WindowsPathsTest, ItemPathsOfOver300CharactersArrive) {
    tarnwick::test::ScratchDir scratch;
    LoadedPakloom().setLogCallback(RecordLine);
    TakeRecordedLines();
    const std::wstring out = std::filesystem::absolute(scratch.path() / "out").wstring();
    ASSERT_EQ(Extract(EnginePath(), ArchivePath("long-path.7z"), std::u16string(out.begin(), out.end())), 1);
    EXPECT_THAT(TakeRecordedLines(), ElementsAre());

    std::wstring item = L"deep";
    for (int i = 1; i <= 5; ++i) {
        item += L"\\";
        for (int k = 0; k < 6; ++k)
            item += L"folder-" + std::to_wstring(i) + L"-";
    }
    item += L"\\item-of-a-long-path.txt";
    ASSERT_GT(item.size(), 300u);
    std::wstring path = L"\\\\?\\" + out + L"\\" + item;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char text[32] = {};
    DWORD count = 0;
    EXPECT_TRUE(::ReadFile(file, text, sizeof text, &count, nullptr));
    ::CloseHandle(file);
    EXPECT_EQ(std::string(text, count), "far down\n");
}

// Each archive holds one item whose name Windows would not keep as named:
// it is refused like an item leaving the folder, and nothing is written.
TEST(WindowsPathsTest, DevicesStreamsAndTrimmedNamesAreRefused) {
    const struct {
        const char* archive;
        const char* item;
    } cases[] = {{"unsafe-NUL.7z", "NUL"}, {"unsafe-a_b.7z", "a:b"}, {"unsafe-x_.7z", "x."}};
    LoadedPakloom().setLogCallback(RecordLine);
    for (const auto& c : cases) {
        tarnwick::test::ScratchDir scratch;
        TakeRecordedLines();
        EXPECT_EQ(Extract(EnginePath(), ArchivePath(c.archive), (scratch.path() / "out").u16string()), 0)
            << c.item;
        EXPECT_THAT(
            TakeRecordedLines(),
            ElementsAre(std::string("SevenZip::ArchiveExtractCallback::GetStream: Refused item outside "
                                    "the destination folder: ") +
                            c.item + ".",
                        "ExtractArchive: IInArchive::Extract() failed: 80004005."));
        EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << c.item;
    }
}

}  // namespace
}  // namespace pakloom::test
