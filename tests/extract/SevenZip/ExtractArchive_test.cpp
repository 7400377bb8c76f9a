#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "extract/Mswin/Paths.h"
#include "extract/Mswin/Text.h"
#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace pakloom::test {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class ExtractArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadedPakloom().setLogCallback(RecordLine);
        TakeRecordedLines();
    }
    void TearDown() override { LoadedPakloom().setLogCallback(RecordLine); }

    std::u16string Destination(const std::string& name = "out") const {
        return (scratch_.path() / name).u16string();
    }
    fs::path Extracted(const std::string& relative) const {
        return scratch_.path() / "out" / fs::u8path(relative);
    }
    int ExtractInto(const std::string& archive) {
        return Extract(EnginePath(), ArchivePath(archive), Destination());
    }

    tarnwick::test::ScratchDir scratch_;
};

TEST_F(ExtractArchiveTest, ExtractsFoldersEmptyEntriesAndUnicodeNames) {
    ASSERT_EQ(ExtractInto("tree.7z"), 1);

    EXPECT_THAT(TakeRecordedLines(), IsEmpty());
    EXPECT_EQ(FileText(Extracted("a/b/x.txt")), "hello\n");
    EXPECT_TRUE(fs::is_regular_file(Extracted("a/e.txt")));
    EXPECT_EQ(fs::file_size(Extracted("a/e.txt")), 0u);
    EXPECT_TRUE(fs::is_directory(Extracted("empty")));
    EXPECT_EQ(FileText(Extracted("ü-😀.txt")), "unicode\n");
    EXPECT_FALSE(IsModuleLoaded(EnginePath())) << "the engine must be freed before the call returns";
}

TEST_F(ExtractArchiveTest, ReplacesAndTruncatesAnExistingFile) {
    fs::create_directories(Extracted("a/b"));
    std::ofstream(Extracted("a/b/x.txt")) << std::string(4096, 'z');

    ASSERT_EQ(ExtractInto("tree.7z"), 1);
    EXPECT_EQ(FileText(Extracted("a/b/x.txt")), "hello\n");
}

TEST_F(ExtractArchiveTest, NullArgumentsAreRefusedBeforeAnythingIsLoaded) {
    const std::u16string engine = EnginePath(), archive = ArchivePath("tree.7z"), destination = Destination();
    const auto text = [](const std::u16string& s) { return reinterpret_cast<const PakloomChar*>(s.c_str()); };
    const auto& pakloom = LoadedPakloom();

    EXPECT_EQ(pakloom.extractArchive(text(engine), nullptr, text(destination)), 0);
    EXPECT_EQ(pakloom.extractArchive(text(engine), text(archive), nullptr), 0);
    EXPECT_EQ(pakloom.extractArchive(nullptr, text(archive), text(destination)), 0);

    const std::string refused = "ExtractArchive: Invalid archive path or destination folder.";
    EXPECT_THAT(TakeRecordedLines(), ElementsAre(refused, refused, refused));
    EXPECT_FALSE(fs::exists(Destination()));
}

TEST_F(ExtractArchiveTest, ReportsEngineLibrariesThatCannotServe) {
    EXPECT_EQ(Extract(NativePath(PAKLOOM_ARCHIVES "/no-such-engine"), ArchivePath("tree.7z"), Destination()),
              0);
    EXPECT_THAT(TakeRecordedLines(), ElementsAre("ExtractArchive: Failed to load 7zip DLL."));

    const std::u16string foreign = Mswin::Utf8ToUtf16(PAKLOOM_FOREIGN_LIBRARY);
    EXPECT_EQ(Extract(foreign, ArchivePath("tree.7z"), Destination()), 0);
    EXPECT_THAT(TakeRecordedLines(),
                ElementsAre("ExtractArchive: Could not locate CreateObject in 7zip DLL."));
}

TEST_F(ExtractArchiveTest, MissingArchiveIsACaughtExceptionNamingPathAndError) {
    const std::u16string missing = (scratch_.path() / "missing.7z").u16string();
    EXPECT_EQ(Extract(EnginePath(), missing, Destination()), 0);

    const auto lines = TakeRecordedLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], AllOf(StartsWith("ExtractArchive: Caught exception: "),
                                HasSubstr(" - Could not open " + Mswin::Utf16ToUtf8(missing) + ". "),
                                EndsWith(" (2)\n")));
    EXPECT_FALSE(IsModuleLoaded(EnginePath()));
}

TEST_F(ExtractArchiveTest, ArchivesTheEngineCannotOpen) {
    // Anything but 0 is a failure, S_FALSE for an unknown or broken file too;
    // an encrypted header needs the password that is never given.
    EXPECT_EQ(ExtractInto("plain.7z"), 0);
    EXPECT_EQ(ExtractInto("truncated.7z"), 0);
    EXPECT_EQ(ExtractInto("header-encrypted.7z"), 0);
    EXPECT_THAT(TakeRecordedLines(), ElementsAre("ExtractArchive: Failed to open IInArchive: 1.",
                                                 "ExtractArchive: Failed to open IInArchive: 1.",
                                                 "ExtractArchive: Failed to open IInArchive: 80004004."));
}

TEST_F(ExtractArchiveTest, EncryptedDataIsNotExtracted) {
    EXPECT_EQ(ExtractInto("data-encrypted.7z"), 0);
    EXPECT_THAT(TakeRecordedLines(), ElementsAre("ExtractArchive: IInArchive::Extract() failed: 80004004."));
}

TEST_F(ExtractArchiveTest, ItemsLeavingTheDestinationAreRefused) {
    const std::u16string destination = (scratch_.path() / "sub" / "dest").u16string();
    EXPECT_EQ(Extract(EnginePath(), ArchivePath("escaping.7z"), destination), 0);

    const std::string stored =
        Mswin::Utf16ToUtf8(u".." + std::u16string(1, Mswin::PathSeparator()) + u"escape.txt");
    EXPECT_THAT(
        TakeRecordedLines(),
        ElementsAre("SevenZip::ArchiveExtractCallback::GetStream: Refused item outside the destination "
                    "folder: " +
                        stored + ".",
                    "ExtractArchive: IInArchive::Extract() failed: 80004005."));
    EXPECT_FALSE(fs::exists(scratch_.path() / "sub" / "escape.txt"));
}

TEST_F(ExtractArchiveTest, FileInTheWayOfAFolderFailsOneLevelDeeper) {
    fs::create_directories(Extracted(""));
    std::ofstream(Extracted("a")) << "a file, not a folder";

    EXPECT_EQ(ExtractInto("tree.7z"), 0);

    const std::string separator = Mswin::Utf16ToUtf8(std::u16string(1, Mswin::PathSeparator()));
    const std::string deeper =
        Mswin::Utf16ToUtf8(Destination()) + separator + "a" + separator + "b" + separator;
    const auto lines = TakeRecordedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_THAT(lines.front(),
                AllOf(StartsWith("SevenZip::ArchiveExtractCallback::GetStream: Caught exception: "),
                      HasSubstr(" - Failed to create directory (" + deeper + "): "), EndsWith(")\n.")));
    EXPECT_THAT(lines.back(), StartsWith("ExtractArchive: IInArchive::Extract() failed: "));
}

TEST_F(ExtractArchiveTest, NullCallbackSilencesTheLibrary) {
    LoadedPakloom().setLogCallback(nullptr);
    EXPECT_EQ(ExtractInto("plain.7z"), 0);
    EXPECT_EQ(ExtractInto("tree.7z"), 1);
    EXPECT_THAT(TakeRecordedLines(), IsEmpty());
}

TEST_F(ExtractArchiveTest, OverlongLinesAreCutAt1023Characters) {
    const std::u16string missing = Destination(std::string(1500, 'm'));
    EXPECT_EQ(Extract(EnginePath(), missing, Destination()), 0);

    const auto lines = TakeRecordedLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 1023u);
    EXPECT_THAT(lines[0], StartsWith("ExtractArchive: Caught exception: "));
}

TEST_F(ExtractArchiveTest, SeveralThreadsExtractAtOnceWithOneCallback) {
    // One archive file each: an archive is opened without sharing.
    std::vector<int> results(4, -1);
    std::vector<std::u16string> archives;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const fs::path copy = scratch_.path() / ("archive" + std::to_string(i) + ".7z");
        fs::copy_file(ArchiveSource(i % 2 ? "tree.7z" : "plain.7z"), copy);
        archives.push_back(copy.u16string());
    }
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&, i] {
            results[i] = Extract(EnginePath(), archives[i], Destination("out" + std::to_string(i)));
        });
    }
    for (auto& thread : threads)
        thread.join();

    EXPECT_THAT(results, ElementsAre(0, 1, 0, 1));
    EXPECT_THAT(TakeRecordedLines(), ElementsAre("ExtractArchive: Failed to open IInArchive: 1.",
                                                 "ExtractArchive: Failed to open IInArchive: 1."));
    EXPECT_EQ(FileText(scratch_.path() / "out3" / "a" / "b" / "x.txt"), "hello\n");
}

TEST_F(ExtractArchiveTest, LargeMultiBlockArchiveArrivesIntact) {
    ASSERT_EQ(ExtractInto("big.7z"), 1);
    EXPECT_THAT(TakeRecordedLines(), IsEmpty());
    for (const char* name : {"random.bin", "text.txt"}) {
        const std::string extracted = FileText(Extracted(name));
        EXPECT_EQ(extracted.size(), 50000000u) << name;
        EXPECT_TRUE(extracted == FileText(ArchiveSource(std::string("big/") + name))) << name;
    }
}

}  // namespace
}  // namespace pakloom::test
