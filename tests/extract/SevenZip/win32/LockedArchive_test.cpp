#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace pakloom::test {
namespace {

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;

// The archive is opened without sharing, so one that somebody else holds
// open cannot be read, and the host is told why.
TEST(LockedArchiveTest, SharingViolationReachesTheHost) {
    tarnwick::test::ScratchDir scratch;
    const std::filesystem::path copy = scratch.path() / "locked.7z";
    std::filesystem::copy_file(ArchiveSource("tree.7z"), copy);
    HANDLE holder =
        ::CreateFileW(copy.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    LoadedPakloom().setLogCallback(RecordLine);
    TakeRecordedLines();
    const int result = Extract(EnginePath(), copy.u16string(), (scratch.path() / "out").u16string());
    ::CloseHandle(holder);

    EXPECT_EQ(result, 0);
    const auto lines = TakeRecordedLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], AllOf(HasSubstr("ExtractArchive: Caught exception: "), HasSubstr("Could not open "),
                                EndsWith(" (32)\n")));
}

}  // namespace
}  // namespace pakloom::test
