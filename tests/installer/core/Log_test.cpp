#include "installer/core/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "installer/core/UserNotice.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ScratchDir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// What a line says, without its time.
std::string messageOf(const std::string& line) {
    const std::size_t cut = line.find(' ', line.find(' ') + 1);
    return cut == std::string::npos ? std::string() : line.substr(cut + 1);
}

TEST(Log, LinesCarryTheLocalTimeAndFollowEarlierRunsInTheSameFile) {
    test::ScratchDir scratch;
    const std::string path = scratch.file("Tarnwick.log");
    Log(path).write("first run: %s %d", "version", 7);
    Log(path).write("second run");

    const std::vector<std::string> lines = linesOf(path);
    ASSERT_EQ(lines.size(), 2u);
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} .*)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
    EXPECT_EQ(messageOf(lines[0]), "first run: version 7");
    EXPECT_EQ(messageOf(lines[1]), "second run");
}

// The file never grows past its cap: the line that would take it over goes
// to a new file, the full one becomes ".1", and the older ".1" is dropped.
TEST(Log, RollsOverToTheFirstOlderFileAtItsCap) {
    test::ScratchDir scratch;
    const std::string path = scratch.file("Tarnwick.log");
    constexpr std::uint64_t kCap = 300;
    Log log(path, kCap);
    // 35 bytes a line (24 of time, 10 of message, the line feed): eight fit.
    for (int i = 0; i < 20; ++i) {
        log.write("line %05d", i);
        EXPECT_LE(fs::file_size(path), kCap) << i;
    }

    const std::vector<std::string> current = linesOf(path);
    const std::vector<std::string> older = linesOf(log.rolledPath());
    ASSERT_EQ(current.size(), 4u);
    ASSERT_EQ(older.size(), 8u);
    EXPECT_EQ(messageOf(older.front()), "line 00008");
    EXPECT_EQ(messageOf(older.back()), "line 00015");
    EXPECT_EQ(messageOf(current.front()), "line 00016");
    EXPECT_EQ(messageOf(current.back()), "line 00019");
    EXPECT_FALSE(fs::exists(log.rolledPath() + ".1"));
}

TEST(Log, WritersOnSeveralThreadsNeverMixTheirLines) {
    test::ScratchDir scratch;
    const std::string path = scratch.file("Tarnwick.log");
    Log log(path);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < 100; ++i)
                log.write("thread %d line %03d %s", t, i, std::string(60, 'x').c_str());
        });
    for (std::thread& writer : writers)
        writer.join();

    const std::vector<std::string> lines = linesOf(path);
    ASSERT_EQ(lines.size(), 400u);
    const std::regex whole(R"(thread \d line \d{3} x{60})");
    for (const std::string& line : lines)
        ASSERT_TRUE(std::regex_match(messageOf(line), whole)) << line;
}

TEST(Log, AFileThatCannotBeWrittenLosesTheLineQuietly) {
    test::ScratchDir scratch;
    Log log(scratch.file("missing folder/Tarnwick.log"));
    log.write("nowhere to go");
    EXPECT_FALSE(fs::exists(scratch.file("missing folder")));
}

// Alerts and addresses are logged; shown and opened only when someone watches.
TEST(Log, UserNoticesAreLoggedAndShownOnlyWhenAsked) {
    test::ScratchDir scratch;
    const std::string path = scratch.file("Tarnwick.log");
    Log log(path);
    for (const bool show : {true, false}) {
        SCOPED_TRACE(show);
        test::RecordedNotices notices;
        logUserNotices(log, show);
        alert("Out of Disk Space", "Not enough free disk space.");
        openUrl("http://status.example/?tz=0");
        EXPECT_EQ(notices.alerts().size(), show ? 1u : 0u);
        EXPECT_EQ(notices.openedUrls().size(), show ? 1u : 0u);
    }
    std::vector<std::string> messages;
    for (const std::string& line : linesOf(path))
        messages.push_back(messageOf(line));
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "alert \"Out of Disk Space\": Not enough free disk space.",
                            "opening http://status.example/?tz=0",
                            "alert \"Out of Disk Space\": Not enough free disk space.",
                            "not opening, as nobody watches: http://status.example/?tz=0",
                        }));
}

}  // namespace
}  // namespace tarnwick
