#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>

#include "tests/extract/SevenZip/FakeEngineTest.h"

namespace pakloom::test {
namespace {

using ::testing::ElementsAre;

TEST_F(FakeEngineTest, EverythingIsReleasedBeforeTheModuleIsFreed) {
    EXPECT_EQ(Run("succeeds"), 1);
    EXPECT_THAT(TakeRecordedLines(), ::testing::IsEmpty());
    // The engine holds the last references: the driver let go of the stream
    // and the open callback before the archive, and the module goes last.
    EXPECT_THAT(Events(), ElementsAre("create 7z archive", "open", "extract", "archive destroyed",
                                      "stream left 0", "open callback left 0", "unloaded"));
}

TEST_F(FakeEngineTest, FailedOpenReleasesInTheSameOrder) {
    EXPECT_EQ(Run("open-fails"), 0);
    EXPECT_THAT(TakeRecordedLines(), ElementsAre("ExtractArchive: Failed to open IInArchive: 1."));
    EXPECT_THAT(Events(), ElementsAre("create 7z archive", "open", "archive destroyed", "stream left 0",
                                      "open callback left 0", "unloaded"));
}

// Item properties the real engine always answers well, and the slot for the
// stream it always passes.
TEST_F(FakeEngineTest, ItemsThatCannotBePlacedFailTheExtraction) {
    const std::pair<const char*, const char*> cases[] = {
        {"path-fails",
         "SevenZip::ArchiveExtractCallback::GetStream: Failed to get \"path\" property: 0x80004005."},
        {"path-empty",
         "SevenZip::ArchiveExtractCallback::GetStream: Failed to get \"path\" property. Property is empty."},
        {"path-number",
         "SevenZip::ArchiveExtractCallback::GetStream: Failed to get \"path\" property. Property is not a "
         "string."},
        {"flag-fails",
         "SevenZip::ArchiveExtractCallback::GetStream: Failed to get \"is_directory\" property: 0x80004005."},
        {"flag-number",
         "SevenZip::ArchiveExtractCallback::GetStream: Failed to get \"is_directory\" property: 0x80004005."},
        {"no-slot", "SevenZip::ArchiveExtractCallback::GetStream: Failed to open output stream."},
    };
    for (const auto& [mode, line] : cases) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Run(mode), 0);
        EXPECT_THAT(
            TakeRecordedLines(),
            ElementsAre(line, ::testing::StartsWith("ExtractArchive: IInArchive::Extract() failed: ")));
    }
}

TEST_F(FakeEngineTest, FailedCreateObjectStillReleasesWhatItHandedOut) {
    EXPECT_EQ(Run("create-fails"), 0);
    EXPECT_THAT(TakeRecordedLines(), ElementsAre("ExtractArchive: CreateObject() failed with: 80004005."));
    EXPECT_THAT(Events(), ElementsAre("create 7z archive", "archive destroyed", "unloaded"));
}

}  // namespace
}  // namespace pakloom::test
