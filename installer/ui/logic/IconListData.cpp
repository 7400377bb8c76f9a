#include "installer/ui/logic/IconListData.h"

#include <cstring>

#include "installer/codec/LzmaUnpack.h"
#include "installer/core/ByteOrder.h"

namespace tarnwick::ui {

std::optional<IconListHeader> readIconListHeader(const std::uint8_t* resource, std::size_t length) {
    if (resource == nullptr || length < kIconListHeaderSize) return std::nullopt;
    const IconListHeader header{loadLittleEndian32(resource), loadLittleEndian32(resource + 4)};
    if (header.imageSize == 0 || header.imageCount == 0) return std::nullopt;
    // The square of a 32-bit size fits 64 bits, but four times it may not:
    // a size of 2^31 would wrap to a strip of 0 bytes.
    const std::uint64_t pixels = std::uint64_t{header.imageSize} * header.imageSize;
    if (pixels > kMaxIconStripBytes / 4 || pixels * 4 * header.imageCount > kMaxIconStripBytes)
        return std::nullopt;
    return header;
}

std::size_t stripBytes(const IconListHeader& header) {
    return std::size_t{header.imageSize} * header.imageCount * header.imageSize * 4;
}

void fillIconStrip(const std::uint8_t* resource, std::size_t length, const IconListHeader& header,
                   std::uint8_t* strip) {
    const std::size_t wanted = stripBytes(header);
    const std::uint8_t* rest = resource + kIconListHeaderSize;
    const std::size_t restLength = length - kIconListHeaderSize;
    if (restLength == wanted) {
        std::memcpy(strip, rest, wanted);
        return;
    }
    // A damaged strip shows as a (partly) transparent image: there is nobody
    // to tell and nothing better to show.
    [[maybe_unused]] const bool unpacked = unpackLzma(rest, restLength, strip, wanted);
}

}  // namespace tarnwick::ui
