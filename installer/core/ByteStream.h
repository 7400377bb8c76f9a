#pragma once

#include <cstdint>

#include "installer/core/Failure.h"

namespace tarnwick {

inline constexpr std::uint32_t kDigestLength = 16;

// A stream of bytes with a size and a position, holding the big-endian codecs
// shared by every record the installer reads or writes. Every failure throws
// kStreamFailure and nothing else; callers catch it once per whole record.
class ByteStream {
public:
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;
    virtual ~ByteStream() = default;

    // Reads count bytes from source at its position and writes them here.
    // Nothing is copied when source holds fewer than count bytes.
    virtual void copyFrom(ByteStream& source, std::uint32_t count);
    // MD5 of count bytes from start, followed by extra as four big-endian
    // bytes when extra is not 0. The position is restored, also on failure.
    virtual void digestRange(std::uint32_t start, std::uint32_t count, std::uint8_t (&digest)[kDigestLength],
                             std::uint32_t extra);

    std::uint32_t size() const { return size_; }
    std::uint32_t position() const { return position_; }

    // Seeking to exactly size() is allowed.
    void seek(std::uint32_t offset);
    // A count of 0 does nothing at all, whatever the state of the stream.
    void readBytes(void* bytes, std::uint32_t count);
    void writeBytes(const void* bytes, std::uint32_t count);

    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();
    // Each writes the low bits of value that fit its width.
    void writeU8(std::uint32_t value);
    void writeU16(std::uint32_t value);
    void writeU32(std::uint32_t value);

    // Short string: one length byte, then that many bytes, no terminator. A
    // text longer than 255 bytes is stored as its first 255; null as empty.
    void writeString(const char* text);
    // Requires the length byte to be below capacity, which counts the 0 byte
    // appended here. On failure the length byte has been consumed.
    void readString(char* buffer, std::uint32_t capacity);
    // Reads up to and including the first 0 byte, at most capacity bytes. On
    // failure the bytes read so far have been consumed.
    void readCString(char* buffer, std::uint32_t capacity);

protected:
    // The medium's primitives: no bounds checks of their own beyond what the
    // medium reports. rawWrite and rawRead advance the position.
    virtual void rawWrite(const void* bytes, std::uint32_t count) = 0;
    virtual void rawRead(void* bytes, std::uint32_t count) = 0;
    virtual void rawSeek(std::uint32_t offset) = 0;

    // True when count bytes starting at start lie inside the stream; computed
    // without wrapping around at 4 GB.
    bool holds(std::uint32_t start, std::uint32_t count) const;

    std::uint32_t size_ = 0;
    std::uint32_t position_ = 0;
};

}  // namespace tarnwick
