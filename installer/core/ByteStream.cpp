#include "installer/core/ByteStream.h"

#include <algorithm>
#include <cstring>

#include "installer/core/ByteOrder.h"
#include "installer/platform/Md5.h"

namespace tarnwick {

namespace {

constexpr std::uint32_t kScratchSize = 4096;
constexpr std::uint32_t kShortStringLimit = 255;

}  // namespace

bool ByteStream::holds(std::uint32_t start, std::uint32_t count) const {
    return std::uint64_t{start} + count <= size_;
}

void ByteStream::seek(std::uint32_t offset) {
    if (offset > size_) throw kStreamFailure;
    rawSeek(offset);
}

void ByteStream::readBytes(void* bytes, std::uint32_t count) {
    if (count == 0) return;
    if (!holds(position_, count)) throw kStreamFailure;
    rawRead(bytes, count);
}

void ByteStream::writeBytes(const void* bytes, std::uint32_t count) {
    if (count == 0) return;
    // A stream never grows past what its 32-bit size can describe.
    if (std::uint64_t{position_} + count > UINT32_MAX) throw kStreamFailure;
    rawWrite(bytes, count);
    size_ = std::max(size_, position_);
}

std::uint8_t ByteStream::readU8() {
    std::uint8_t byte;
    readBytes(&byte, 1);
    return byte;
}

std::uint16_t ByteStream::readU16() {
    std::uint8_t bytes[2];
    readBytes(bytes, sizeof bytes);
    return loadBigEndian16(bytes);
}

std::uint32_t ByteStream::readU32() {
    std::uint8_t bytes[4];
    readBytes(bytes, sizeof bytes);
    return loadBigEndian32(bytes);
}

void ByteStream::writeU8(std::uint32_t value) {
    const auto byte = static_cast<std::uint8_t>(value);
    writeBytes(&byte, 1);
}

void ByteStream::writeU16(std::uint32_t value) {
    std::uint8_t bytes[2];
    storeBigEndian16(bytes, static_cast<std::uint16_t>(value));
    writeBytes(bytes, sizeof bytes);
}

void ByteStream::writeU32(std::uint32_t value) {
    std::uint8_t bytes[4];
    storeBigEndian32(bytes, value);
    writeBytes(bytes, sizeof bytes);
}

void ByteStream::writeString(const char* text) {
    const std::size_t length = text ? std::strlen(text) : 0;
    const auto stored = static_cast<std::uint32_t>(std::min<std::size_t>(length, kShortStringLimit));
    writeU8(stored);
    writeBytes(text, stored);
}

void ByteStream::readString(char* buffer, std::uint32_t capacity) {
    const std::uint32_t length = readU8();
    if (length >= capacity) throw kStreamFailure;
    readBytes(buffer, length);
    buffer[length] = '\0';
}

void ByteStream::readCString(char* buffer, std::uint32_t capacity) {
    for (std::uint32_t i = 0; i < capacity; ++i) {
        readBytes(&buffer[i], 1);
        if (buffer[i] == '\0') return;
    }
    throw kStreamFailure;
}

void ByteStream::copyFrom(ByteStream& source, std::uint32_t count) {
    if (!source.holds(source.position_, count)) throw kStreamFailure;
    std::uint8_t scratch[kScratchSize];
    while (count > 0) {
        const std::uint32_t chunk = std::min(count, kScratchSize);
        source.readBytes(scratch, chunk);
        writeBytes(scratch, chunk);
        count -= chunk;
    }
}

void ByteStream::digestRange(std::uint32_t start, std::uint32_t count, std::uint8_t (&digest)[kDigestLength],
                             std::uint32_t extra) {
    const std::uint32_t saved = position_;
    try {
        seek(start);
        if (!holds(start, count)) throw kStreamFailure;
        platform::Md5 md5;
        std::uint8_t scratch[kScratchSize];
        for (std::uint32_t left = count; left > 0;) {
            const std::uint32_t chunk = std::min(left, kScratchSize);
            readBytes(scratch, chunk);
            if (!md5.update(scratch, chunk)) throw kStreamFailure;
            left -= chunk;
        }
        if (extra != 0) {
            std::uint8_t bytes[4];
            storeBigEndian32(bytes, extra);
            if (!md5.update(bytes, sizeof bytes)) throw kStreamFailure;
        }
        if (!md5.finish(digest)) throw kStreamFailure;
        seek(saved);
    } catch (...) {
        try {
            seek(saved);
        } catch (...) {
            // The medium itself failed; the original failure is what matters.
        }
        throw kStreamFailure;
    }
}

}  // namespace tarnwick
