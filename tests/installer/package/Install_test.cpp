#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installer/core/Failure.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Folders.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/ThrownCode.h"
#include "tests/support/UserDataFolder.h"
#include "tools/tarnwick-pack/PackageBuilder.h"

#ifdef _WIN32
#include "installer/platform/win32/UniqueHandle.h"
#endif

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using pack::Entry;

constexpr std::int32_t kModified = 1500000000;  // 2017-07-14
constexpr std::int32_t kCreated = 1400000000;   // 2014-05-13
// Small packages need no big dictionary; a small one keeps the tests quick.
const pack::LzmaSettings kQuick{1, 1u << 16};

Entry file(const std::string& name, const std::string& content, std::uint8_t flags = 0) {
    return {pack::kEntryFile, flags, name, kModified, kCreated, {content.begin(), content.end()}};
}
Entry folder(const std::string& name, std::uint8_t flags = 0, std::int32_t modified = kModified) {
    return {pack::kEntryFolder, flags, name, modified, kCreated, {}};
}
Entry removal(const std::string& name) {
    return {pack::kEntryRemoval, 0, name, 0, 0, {}};
}

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::int64_t modificationSeconds(const fs::path& path) {
    const auto system = std::chrono::file_clock::to_sys(fs::last_write_time(path));
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

class Install : public ::testing::Test {
protected:
    Install() {
        root_ = scratch_.path() / "app";
        fs::create_directory(root_);
        job_.setInstallFolder((root_.string() + platform::kPathSeparator).c_str());
    }

    // Installs a package of these entries; the code thrown, if any.
    std::optional<std::int32_t> install(const std::vector<Entry>& entries, std::uint32_t word1 = 0,
                                        std::uint32_t word2 = 0) {
        return installResource(pack::buildPackage(7, entries, kQuick, word1, word2));
    }
    std::optional<std::int32_t> installResource(const std::vector<std::uint8_t>& resource) {
        return test::thrownCode([&] {
            job_.takeResource(resource.data(), static_cast<std::uint32_t>(resource.size()), 7);
            job_.install();
        });
    }

    test::ScratchDir scratch_;
    fs::path root_;
    UpdateJob job_;
    test::RecordedNotices notices_;
};

TEST_F(Install, WritesTheTreeWithTimesAndPutsTheClientInPlace) {
    const std::vector<Entry> entries = {
        folder("bin"),
        folder("bin\\data", 0, kModified + 100),
        file("bin\\client-new.exe", "program", pack::kFlagClientProgram),
        file("bin\\data\\a.txt", "alpha"),
        file("readme.txt", "hello"),
    };
    ASSERT_EQ(install(entries, 0xDEADBEEF, 17), std::nullopt);

    EXPECT_EQ(contentOf(root_ / "readme.txt"), "hello");
    EXPECT_EQ(contentOf(root_ / "bin" / "data" / "a.txt"), "alpha");
    EXPECT_EQ(contentOf(root_ / "bin" / "Tarnwick.exe"), "program");
    EXPECT_FALSE(fs::exists(root_ / "bin" / "client-new.exe"));
    EXPECT_EQ(fs::path(job_.launchPath()), root_ / "bin" / "Tarnwick.exe");
#ifndef _WIN32
    // Package entries carry no permissions; the client must still start.
    const auto permissions = fs::status(root_ / "bin" / "Tarnwick.exe").permissions();
    EXPECT_NE(permissions & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(fs::status(root_ / "readme.txt").permissions() & fs::perms::owner_exec, fs::perms::none);
#endif
    EXPECT_EQ(job_.leadingWord(0), 0xDEADBEEFu);
    EXPECT_EQ(job_.leadingWord(1), 17u);

    EXPECT_EQ(modificationSeconds(root_ / "readme.txt"), kModified);
    // Folder times survive the files written into them afterwards, the inner
    // folder's as well as the outer one's.
    EXPECT_EQ(modificationSeconds(root_ / "bin"), kModified);
    EXPECT_EQ(modificationSeconds(root_ / "bin" / "data"), kModified + 100);
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA((root_ / "readme.txt").string().c_str(), GetFileExInfoStandard, &data));
    const std::uint64_t ticks =
        (std::uint64_t{data.ftCreationTime.dwHighDateTime} << 32) | data.ftCreationTime.dwLowDateTime;
    // Windows keeps the creation time given; Wine on a file system without
    // settable birth times reports the modification time instead.
    const std::int64_t created = static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
    EXPECT_TRUE(created == kCreated || created == kModified) << created;
#endif
}

// The whole rule is tested with entryNameProblem; here, that the installer
// applies it to every kind before anything of the entry is done.
TEST_F(Install, RefusesUnsafeNamesAndDoesNothingOfThatEntry) {
    const std::vector<Entry> refused = {
        file("..\\x.txt", "evil"),
        file("a..b", "evil"),
        file("Tarnwick.exe.", "evil", pack::kFlagClientProgram),
        file("aux.txt", "evil"),
        file("x.txt:stream", "evil"),
        folder("", pack::kFlagResetFolder),  // would remove the install folder itself
        folder("sub\\", pack::kFlagResetFolder),
        removal("\\first.txt"),
    };
    for (const Entry& entry : refused) {
        EXPECT_EQ(install({file("first.txt", "1"), entry}), kGeneralFailure) << entry.name;
        EXPECT_EQ(contentOf(root_ / "first.txt"), "1") << entry.name;  // nothing is undone
        EXPECT_STREQ(job_.launchPath(), "") << entry.name;
    }
    EXPECT_FALSE(fs::exists(scratch_.path() / "x.txt"));
    const std::vector<fs::path> expected = {root_ / "first.txt"};
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(root_), fs::directory_iterator()), expected);
}

TEST_F(Install, ExistingFileIsReplacedWholeAndGetsItsTimes) {
    writeText(root_ / "notes.txt", "a much longer previous content");
    ASSERT_EQ(install({file("notes.txt", "new")}), std::nullopt);
    EXPECT_EQ(contentOf(root_ / "notes.txt"), "new");
    EXPECT_EQ(modificationSeconds(root_ / "notes.txt"), kModified);
}

TEST_F(Install, EmptyFileIsCreatedOrEmptiedAndGetsItsTimes) {
    writeText(root_ / "old.txt", "previous content");
    ASSERT_EQ(install({file("old.txt", ""), file("new.txt", "")}), std::nullopt);
    EXPECT_EQ(fs::file_size(root_ / "old.txt"), 0u);
    EXPECT_EQ(fs::file_size(root_ / "new.txt"), 0u);
    EXPECT_EQ(modificationSeconds(root_ / "new.txt"), kModified);
}

TEST_F(Install, FolderResetRemovesTheOldTreeBeforeLaterEntriesFillIt) {
    fs::create_directories(root_ / "cache" / "deep");
    writeText(root_ / "cache" / "deep" / "stale.bin", "x");
    writeText(root_ / "cache" / "stale.txt", "x");
    fs::create_directories(root_ / "keep");
    writeText(root_ / "keep" / "kept.txt", "x");

    ASSERT_EQ(
        install({folder("cache", pack::kFlagResetFolder), folder("keep"), file("cache\\fresh.txt", "new")}),
        std::nullopt);
    EXPECT_FALSE(fs::exists(root_ / "cache" / "deep"));
    EXPECT_FALSE(fs::exists(root_ / "cache" / "stale.txt"));
    EXPECT_EQ(contentOf(root_ / "cache" / "fresh.txt"), "new");
    EXPECT_TRUE(fs::exists(root_ / "keep" / "kept.txt"));  // no reset flag: contents stay
}

TEST_F(Install, RemovalEntriesDeleteFilesAndWholeTrees) {
    writeText(root_ / "obsolete.dll", "x");
    fs::create_directories(root_ / "plugins" / "old");
    writeText(root_ / "plugins" / "old" / "p.dll", "x");
    ASSERT_EQ(install({removal("obsolete.dll"), removal("plugins"), removal("never-existed")}), std::nullopt);
    EXPECT_FALSE(fs::exists(root_ / "obsolete.dll"));
    EXPECT_FALSE(fs::exists(root_ / "plugins"));
}

TEST_F(Install, ClientProgramFlagCountsOnAnyKindAndTheLastOneWins) {
    Entry odd{7, pack::kFlagClientProgram, "tools\\helper.exe", 0, 0, {}};
    ASSERT_EQ(install({folder("tools"), file("tools\\helper.exe", "helper"), file("a.exe", "a", 1), odd}),
              std::nullopt);
    EXPECT_EQ(fs::path(job_.launchPath()), root_ / "tools" / "Tarnwick.exe");
    EXPECT_EQ(contentOf(root_ / "tools" / "Tarnwick.exe"), "helper");
    EXPECT_TRUE(fs::exists(root_ / "a.exe"));
}

TEST_F(Install, ClientAlreadyNamedTarnwickExeIsKeptNotDeleted) {
    ASSERT_EQ(install({file("Tarnwick.exe", "program", pack::kFlagClientProgram)}), std::nullopt);
    EXPECT_EQ(contentOf(root_ / "Tarnwick.exe"), "program");
    EXPECT_EQ(fs::path(job_.launchPath()), root_ / "Tarnwick.exe");
}

TEST_F(Install, OldClientIsReplacedByTheNewOne) {
    writeText(root_ / "Tarnwick.exe", "old program");
    ASSERT_EQ(install({file("next.exe", "new program", pack::kFlagClientProgram)}), std::nullopt);
    EXPECT_EQ(contentOf(root_ / "Tarnwick.exe"), "new program");
    EXPECT_FALSE(fs::exists(root_ / "next.exe"));
    EXPECT_TRUE(notices_.alerts().empty());
}

// A client that cannot be put in place must not leave a run that counts as
// installed, nor a launch path naming a program that is not there.
TEST_F(Install, ClientThatCannotBePutInPlaceIsReportedOnceAndNamesNothing) {
    const test::RecordedNotices::Alert unableToLaunch = {
        "Unable to launch", "The updated Tarnwick could not be launched because an error occurred"};
    fs::create_directories(root_ / "Tarnwick.exe" / "inside");
    EXPECT_EQ(install({file("next.exe", "new program", pack::kFlagClientProgram)}), kQuietFailure);
    EXPECT_EQ(notices_.alerts(), std::vector{unableToLaunch});
    EXPECT_STREQ(job_.launchPath(), "");
    EXPECT_TRUE(fs::exists(root_ / "Tarnwick.exe" / "inside"));
    EXPECT_EQ(contentOf(root_ / "next.exe"), "new program");
#ifdef _WIN32
    // A running client cannot be replaced; it must survive the attempt.
    fs::remove_all(root_ / "Tarnwick.exe");
    writeText(root_ / "Tarnwick.exe", "old program");
    const std::string running = (root_ / "Tarnwick.exe").string();
    {
        const platform::UniqueFileHandle held(
            CreateFileA(running.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(install({file("next.exe", "new program", pack::kFlagClientProgram)}), kQuietFailure);
    }
    EXPECT_EQ(contentOf(root_ / "Tarnwick.exe"), "old program");
    EXPECT_EQ(notices_.alerts(), std::vector(2, unableToLaunch));
#endif
}

TEST_F(Install, PackageWithoutEntriesInstallsNothingAndNamesNoClient) {
    ASSERT_EQ(install({}), std::nullopt);
    EXPECT_TRUE(fs::is_empty(root_));
    EXPECT_STREQ(job_.launchPath(), "");
    EXPECT_FALSE(fs::exists(fs::current_path() / "Tarnwick.exe"));
}

TEST_F(Install, DamagedEntryListsAreRefused) {
    auto unpackedWithout = [](std::size_t dropped) {
        auto bytes = pack::serializeEntries(0, 0, {file("a.txt", "abcdef")});
        bytes.resize(bytes.size() - dropped);
        return bytes;
    };
    auto stored = [](const std::vector<std::uint8_t>& unpacked) {
        return pack::buildResource(7, 0, static_cast<std::uint32_t>(unpacked.size()), unpacked);
    };
    // No end entry; content running past the end; a name without terminator.
    EXPECT_EQ(installResource(stored(unpackedWithout(1))), kGeneralFailure);
    EXPECT_EQ(installResource(stored(unpackedWithout(3))), kGeneralFailure);
    auto unterminated = pack::serializeEntries(0, 0, {});
    unterminated.back() = pack::kEntryFile;
    unterminated.insert(unterminated.end(), {0, 'a', 'b'});
    EXPECT_EQ(installResource(stored(unterminated)), kGeneralFailure);

    // 2,047 characters and the NUL fit the name field; one more does not.
    const std::string longest(2047 - root_.string().size() - 1, 'n');
    EXPECT_EQ(install({removal(longest)}), std::nullopt);
    EXPECT_EQ(install({removal(std::string(2048, 'n'))}), kGeneralFailure);
}

TEST_F(Install, FileThatCannotBeOpenedForWritingFailsTheInstall) {
    fs::create_directory(root_ / "busy.txt");
    EXPECT_EQ(install({file("busy.txt", "x")}), kGeneralFailure);
#ifdef _WIN32
    const std::string locked = (root_ / "locked.dll").string();
    const platform::UniqueFileHandle held(
        CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(install({file("locked.dll", "x")}), kGeneralFailure);
#endif
}

TEST_F(Install, StoredPackageWhoseSizesAreEqualIsReadAsItStands) {
    const auto unpacked = pack::serializeEntries(1, 2, {file("plain.txt", "stored")});
    ASSERT_EQ(
        installResource(pack::buildResource(7, 0, static_cast<std::uint32_t>(unpacked.size()), unpacked)),
        std::nullopt);
    EXPECT_EQ(contentOf(root_ / "plain.txt"), "stored");
}

TEST(FreeSpace, FiveMebibytesAreEnough) {
    EXPECT_TRUE(UpdateJob::hasRoomForUpdate(5242880));
    EXPECT_FALSE(UpdateJob::hasRoomForUpdate(5242879));
    EXPECT_TRUE(UpdateJob::hasRoomForUpdate(std::uint64_t{1} << 40)) << "compared on all 64 bits";
    EXPECT_FALSE(UpdateJob::hasRoomForUpdate(0));
}

TEST(InstallFolder, IsTarnwickTwiceUnderTheUsersApplicationData) {
    const test::ScopedUserDataFolder userData;
    const fs::path folder = fs::path(platform::userDataFolder()) / "Tarnwick" / "Tarnwick";
    const bool existed = fs::exists(folder / "install-folder-probe.txt");
    UpdateJob job;
    const auto resource = pack::buildPackage(3, {file("install-folder-probe.txt", "probe")}, kQuick);
    job.takeResource(resource.data(), static_cast<std::uint32_t>(resource.size()), 3);
    EXPECT_EQ(test::thrownCode([&] { job.install(); }), std::nullopt);
    EXPECT_EQ(contentOf(folder / "install-folder-probe.txt"), "probe");
    if (!existed) fs::remove(folder / "install-folder-probe.txt");
}

}  // namespace
}  // namespace tarnwick
