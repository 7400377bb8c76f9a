#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/make_shared.hpp>

#include "extract/Mswin/ErrorMessage.h"
#include "extract/Ostrel/Log.h"

namespace {

using Ostrel::Log::LogWriter;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
namespace pt = boost::posix_time;

struct RecordingSink : Ostrel::Log::LogSink {
    void Write(const std::string& line, bool flush) override {
        lines.push_back(line);
        flushed = flush;
    }
    std::vector<std::string> lines;
    bool flushed = false;
};

const pt::ptime kMoment(boost::gregorian::date(2026, 12, 8),
                        pt::hours(2) + pt::minutes(21) + pt::seconds(41));

TEST(LogLineTest, TimeStampShowsMicrosecondsOnlyWhenThereAreSome) {
    LogWriter writer;
    EXPECT_EQ(writer.BuildLine(kMoment, "message"), "2026-Dec-08 02:21:41 - message\n");
    EXPECT_EQ(writer.BuildLine(kMoment + pt::microseconds(7), "m"), "2026-Dec-08 02:21:41.000007 - m\n");
}

TEST(LogLineTest, PrefixStandsOnceBeforeTheTimeStamp) {
    LogWriter writer;
    writer.SetPrefix("[pakloom]");
    EXPECT_EQ(writer.BuildLine(kMoment, "m"), "[pakloom] 2026-Dec-08 02:21:41 - m\n");
}

TEST(LogWriterTest, InitialSettingsBuildTheLineAndWriteNothing) {
    LogWriter writer;
    auto sink = boost::make_shared<RecordingSink>();
    writer.SetSink(sink);
    writer.SetOutputs(Ostrel::Log::OutputSink);
    const std::string line = writer.LogLine(2, "quiet");
    EXPECT_THAT(line, EndsWith(" - quiet\n"));
    const std::size_t stamp = line.find(" - ");
    EXPECT_TRUE(stamp == 20 || stamp == 27) << line;  // "2026-Dec-08 02:21:41[.489570]"
    EXPECT_THAT(sink->lines, IsEmpty());
}

TEST(LogWriterTest, LevelsUpToTheThresholdAreWritten) {
    LogWriter writer;
    auto sink = boost::make_shared<RecordingSink>();
    writer.SetSink(sink);
    writer.SetOutputs(Ostrel::Log::OutputSink);
    writer.SetEnabled(true);
    writer.Emit(2, "two");
    writer.Emit(6, "six");
    writer.Emit(5, "five");
    EXPECT_THAT(sink->lines, ElementsAre("two", "five"));
    EXPECT_TRUE(sink->flushed);
}

TEST(LogWriterTest, FirstUseFromTwoThreadsMakesOneWriter) {
    LogWriter* seen[2] = {};
    std::thread first([&] { seen[0] = LogWriter::Instance(); });
    std::thread second([&] { seen[1] = LogWriter::Instance(); });
    first.join();
    second.join();
    ASSERT_NE(seen[0], nullptr);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(LogWriter::Instance(), seen[0]);
}

TEST(LogExceptionTest, ThrownTextIsAFinishedLineWithTheSystemError) {
    Mswin::RestoreLastError(2);
    try {
        Ostrel::Log::ThrowWithLastErrorFormat("Could not open %1%.", "x.7z");
    } catch (const Ostrel::Log::LogException& error) {
        EXPECT_THAT(error.what(), EndsWith(" - Could not open x.7z. " + Mswin::GetErrorMessage(2) + "\n"));
    }
    Mswin::RestoreLastError(5);
    try {
        Ostrel::Log::ThrowWithLastError(2, "Plain text.");
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), EndsWith(" - Plain text. " + Mswin::GetErrorMessage(5) + "\n"));
    }
}

}  // namespace
