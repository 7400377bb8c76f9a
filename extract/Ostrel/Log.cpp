#include "extract/Ostrel/Log.h"

#include <atomic>
#include <cstdio>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/format.hpp>

#include "extract/Mswin/DebugOutput.h"
#include "extract/Mswin/ErrorMessage.h"
#include "extract/Mswin/Text.h"
#include "extract/Ostrel/Singleton.h"

namespace Ostrel::Log {
namespace {

boost::recursive_mutex writerCreation;
std::atomic<LogWriter*> writerCache{nullptr};
// Set when the exit processing destroyed the process-wide writer, so that a
// late caller gets null instead of a new writer that nobody would destroy.
std::atomic<bool> writerRetired{false};

// The writer's line for message; once the writer is gone, built and not written.
std::string LineFor(int level, const std::string& message) {
    LogWriter* writer = LogWriter::Instance();
    if (writer) return writer->LogLine(level, message);
    return LogWriter().BuildLine(boost::posix_time::microsec_clock::local_time(), message);
}

}  // namespace

LogWriter* LogWriter::Instance() {
    if (LogWriter* cached = writerCache.load(std::memory_order_acquire)) return cached;
    boost::recursive_mutex::scoped_lock creation(writerCreation);
    if (LogWriter* cached = writerCache.load(std::memory_order_acquire)) return cached;
    if (writerRetired.load()) return nullptr;
    boost::shared_ptr<LogWriter> writer(new LogWriter);
    boost::shared_ptr<ISingletonInstance> instance(new SingletonInstance<LogWriter>(writer));
    SingletonDestructionMonitor::Instance()->Register(kLogWriterOrder, instance);
    writerCache.store(writer.get(), std::memory_order_release);
    return writer.get();
}

LogWriter::LogWriter() = default;

LogWriter::~LogWriter() {
    LogWriter* self = this;
    if (writerCache.compare_exchange_strong(self, nullptr)) writerRetired.store(true);
}

std::string LogWriter::LogLine(int level, const std::string& message) {
    std::string line = BuildLine(boost::posix_time::microsec_clock::local_time(), message);
    Emit(level, line);
    return line;
}

std::string LogWriter::BuildLine(const boost::posix_time::ptime& time, const std::string& message) const {
    std::string line;
    if (!prefix_.empty()) line += prefix_ + " ";
    // The simple form: "2026-Dec-08 02:21:41.489570", the fraction only when
    // it is not zero.
    line += boost::posix_time::to_simple_string(time);
    line += " - ";
    line += message;
    line += terminator_;
    return line;
}

void LogWriter::Emit(int level, const std::string& line) {
    boost::recursive_mutex::scoped_lock guard(lock_);
    if (!enabled_ || level > threshold_) return;
    if ((outputs_ & OutputSink) && sink_) sink_->Write(line, true);
    if (outputs_ & OutputDebugger) Mswin::OutputDebuggerText(Mswin::Utf8ToUtf16(line));
    if (outputs_ & OutputStdout) {
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
    }
}

void ThrowWithLastError(int level, const std::string& text) {
    std::string message = text;
    const Mswin::ErrorCode error = Mswin::LastError();
    message += " " + Mswin::GetErrorMessage(error);
    throw LogException(LineFor(level, message));
}

void ThrowWithLastErrorFormat(const std::string& format, const std::string& argument) {
    const Mswin::ErrorCode error = Mswin::LastError();
    std::string message = (boost::format(format) % argument).str();
    message += " " + Mswin::GetErrorMessage(error);
    throw LogException(LineFor(2, message));
}

}  // namespace Ostrel::Log
