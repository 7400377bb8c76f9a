#include "installer/core/MemoryStream.h"

#include <cstring>
#include <new>

#include "installer/core/ByteOrder.h"
#include "installer/platform/Md5.h"

namespace tarnwick {

void MemoryStream::attachBuffer(std::uint8_t* bytes, std::uint32_t length) {
    heap_.reset();
    buffer_ = bytes;
    capacity_ = length;
    size_ = length;
    ownsBuffer_ = false;
    position_ = 0;
}

void MemoryStream::growTo(std::uint64_t end) {
    if (end <= size_) return;
    if (end <= capacity_) {
        size_ = static_cast<std::uint32_t>(end);
        return;
    }
    if (!ownsBuffer_) throw kStreamFailure;
    const std::uint64_t newCapacity = end + kGrowthSlack;
    if (newCapacity > UINT32_MAX) throw kStreamFailure;
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[newCapacity]);
    if (!block) throw kStreamFailure;
    if (size_ > 0) std::memcpy(block.get(), buffer_, size_);
    heap_ = std::move(block);
    buffer_ = heap_.get();
    capacity_ = static_cast<std::uint32_t>(newCapacity);
    size_ = static_cast<std::uint32_t>(end);
}

void MemoryStream::rawWrite(const void* bytes, std::uint32_t count) {
    growTo(std::uint64_t{position_} + count);
    std::memcpy(buffer_ + position_, bytes, count);
    position_ += count;
}

void MemoryStream::rawRead(void* bytes, std::uint32_t count) {
    std::memcpy(bytes, buffer_ + position_, count);
    position_ += count;
}

void MemoryStream::rawSeek(std::uint32_t offset) {
    position_ = offset;
}

void MemoryStream::copyFrom(ByteStream& source, std::uint32_t count) {
    if (count == 0) return;
    // Checked before growing: a failed copy must not leave the size raised
    // over bytes that were never written.
    if (std::uint64_t{source.position()} + count > source.size()) throw kStreamFailure;
    const std::uint32_t savedSize = size_;
    growTo(std::uint64_t{position_} + count);
    try {
        source.readBytes(buffer_ + position_, count);
    } catch (...) {
        size_ = savedSize;
        throw kStreamFailure;
    }
    position_ += count;
}

void MemoryStream::digestRange(std::uint32_t start, std::uint32_t count,
                               std::uint8_t (&digest)[kDigestLength], std::uint32_t extra) {
    const std::uint32_t saved = position_;
    try {
        seek(start);
        if (!holds(start, count)) throw kStreamFailure;
        platform::Md5 md5;
        bool good = md5.update(cursor(), count);
        if (extra != 0) {
            std::uint8_t bytes[4];
            storeBigEndian32(bytes, extra);
            good = good && md5.update(bytes, sizeof bytes);
        }
        if (!good || !md5.finish(digest)) throw kStreamFailure;
    } catch (...) {
        position_ = saved;
        throw kStreamFailure;
    }
    position_ = saved;
}

}  // namespace tarnwick
