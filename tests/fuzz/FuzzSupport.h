#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// What every harness shares. A harness is one LLVMFuzzerTestOneInput per
// parser: it must be deterministic, never wait, free everything it takes and
// write nothing outside the process's scratch folder.
namespace tarnwick::fuzz {

// Runs once per process on the first call and returns the scratch folder, a
// fresh folder under the temporary folder that goes when the process ends
// normally. The user's application-data folder points into it (so the
// process-wide proxy settings never read or create the user's own), and
// alerts and addresses to open are dropped.
const std::filesystem::path& prepareProcess();

// Stops the process with a message: a broken invariant is a finding, and the
// fuzzer records the input that caused it.
[[noreturn]] void fail(const char* what);

// Reads an input front to back; past its end every read gives zeros or
// nothing, so that a harness needs no length checks of its own.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return next_ < size_ ? data_[next_++] : 0; }
    // The bytes up to the next occurrence of separator (which is skipped),
    // or all that are left.
    std::string until(const std::string& separator);
    std::string rest();
    bool done() const { return next_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

// The largest piece a MemoryConnection hands out per receive, from one input
// byte: 0 means everything at once, so that both whole replies and replies
// cut anywhere are tried.
std::uint32_t pieceSize(std::uint8_t byte);

}  // namespace tarnwick::fuzz
