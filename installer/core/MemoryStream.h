#pragma once

#include <memory>

#include "installer/core/ByteStream.h"

namespace tarnwick {

// A ByteStream over memory. It starts in a 256-byte internal buffer, moves to
// a heap block of its own when it outgrows that (always 512 bytes beyond the
// end needed), or reads and writes a caller's fixed buffer after attachBuffer.
class MemoryStream final : public ByteStream {
public:
    static constexpr std::uint32_t kInternalCapacity = 256;
    static constexpr std::uint32_t kGrowthSlack = 512;

    MemoryStream() = default;

    // Frees the heap block the stream owns, if any, then reads and writes
    // bytes in place: size = capacity = length. The buffer stays the caller's
    // and never grows.
    void attachBuffer(std::uint8_t* bytes, std::uint32_t length);

    std::uint8_t* data() { return buffer_; }
    const std::uint8_t* data() const { return buffer_; }
    // The byte at the position, for callers that parse in place.
    std::uint8_t* cursor() { return buffer_ + position_; }
    std::uint32_t capacity() const { return capacity_; }

    // Reads straight into the buffer. Nothing changes when the source holds
    // fewer than count bytes.
    void copyFrom(ByteStream& source, std::uint32_t count) override;
    void digestRange(std::uint32_t start, std::uint32_t count, std::uint8_t (&digest)[kDigestLength],
                     std::uint32_t extra) override;

protected:
    void rawWrite(const void* bytes, std::uint32_t count) override;
    void rawRead(void* bytes, std::uint32_t count) override;
    void rawSeek(std::uint32_t offset) override;

private:
    // Makes the stream end at least at end; on failure nothing changes.
    void growTo(std::uint64_t end);

    std::uint8_t internal_[kInternalCapacity];
    std::unique_ptr<std::uint8_t[]> heap_;
    std::uint8_t* buffer_ = internal_;
    std::uint32_t capacity_ = kInternalCapacity;
    bool ownsBuffer_ = true;
};

}  // namespace tarnwick
