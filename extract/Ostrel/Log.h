#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <boost/date_time/posix_time/ptime.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/thread/recursive_mutex.hpp>

namespace Ostrel::Log {

enum Output : std::uint32_t {
    OutputDebugger = 1,
    OutputSink = 2,
    OutputStdout = 4,
};

// Receives finished lines when the writer's OutputSink is on.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void Write(const std::string& line, bool flush) = 0;
};

// Builds log lines ("<local time> - <message>\n") and writes them to the
// outputs that are switched on. It starts with every output off and nothing
// in the library switches one on: what a line is mostly for is the text of a
// LogException.
class LogWriter {
public:
    // The process-wide writer, created on first use. After the exit
    // processing has destroyed it, null: nothing may log any more.
    static LogWriter* Instance();

    LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;
    ~LogWriter();

    // Builds the line for now, emits it and returns it.
    std::string LogLine(int level, const std::string& message);
    std::string BuildLine(const boost::posix_time::ptime& time, const std::string& message) const;
    void Emit(int level, const std::string& line);

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    void SetThreshold(int threshold) { threshold_ = threshold; }
    void SetOutputs(std::uint32_t outputs) { outputs_ = outputs; }
    void SetPrefix(const std::string& prefix) { prefix_ = prefix; }
    void SetSink(boost::shared_ptr<LogSink> sink) { sink_ = std::move(sink); }

private:
    bool enabled_ = false;
    int threshold_ = 5;
    std::uint32_t outputs_ = 0;
    std::string prefix_;
    std::string terminator_ = "\n";
    boost::recursive_mutex lock_;
    boost::shared_ptr<LogSink> sink_;
};

// A failure whose text is a finished log line, terminator included.
class LogException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Both log "<text> <system error text>" at the given level and throw it as a
// LogException. The last error is read after the text has been copied.
[[noreturn]] void ThrowWithLastError(int level, const std::string& text);
// format holds one "%1%", filled with argument; level 2.
[[noreturn]] void ThrowWithLastErrorFormat(const std::string& format, const std::string& argument);

}  // namespace Ostrel::Log
