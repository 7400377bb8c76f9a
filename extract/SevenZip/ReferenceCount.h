#pragma once

#include <atomic>
#include <cstdint>

namespace SevenZip {

// An engine-facing object's count: it starts at 0 and its creator takes the
// first reference. Atomic, because the engine may release on its own threads.
class ReferenceCount {
public:
    std::uint32_t Increment() { return static_cast<std::uint32_t>(++count_); }
    std::uint32_t Decrement() { return static_cast<std::uint32_t>(--count_); }

private:
    std::atomic<std::int32_t> count_{0};
};

}  // namespace SevenZip
