#include "installer/ui/IconList.h"

#include <cstring>

#include "installer/ui/logic/IconListData.h"
#include "installer/ui/logic/ImageScaling.h"

namespace tarnwick::ui {

IconList::IconList(UINT resourceId, std::uint8_t dimmedAlpha) : dimmedAlpha_(dimmedAlpha) {
    const HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "ICONLIST");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    const std::size_t length = found ? SizeofResource(module, found) : 0;
    const auto header = readIconListHeader(bytes, length);
    if (!header) return;

    // Rows run top to bottom, as in the resource.
    void* pixels = nullptr;
    if (!strip_.createDib(static_cast<int>(header->imageSize * header->imageCount),
                          static_cast<int>(header->imageSize), 32, true, &pixels) ||
        pixels == nullptr)
        return;
    size_ = header->imageSize;
    count_ = header->imageCount;
    pixels_ = static_cast<const std::uint8_t*>(pixels);
    std::memset(pixels, 0, stripBytes(*header));
    fillIconStrip(bytes, length, *header, static_cast<std::uint8_t*>(pixels));
}

void IconList::draw(HDC dc, const RECT& destination, std::uint32_t index, bool dimmed) const {
    if (index >= count_) return;
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    const int size = static_cast<int>(size_);
    const CBitmap* image = &strip_;
    int sourceLeft = size * static_cast<int>(index);
    int sourceWidth = size;
    int sourceHeight = size;

    // AlphaBlend stretches by dropping or repeating pixels (it turns every
    // stretching mode into COLORONCOLOR), which leaves a grown image jagged;
    // another size is resampled here first.
    CBitmap resampled;
    if (width != size || height != size) {
        const std::size_t stride = std::size_t{size_} * count_ * 4;
        const auto resized =
            resizePremultiplied(pixels_ + std::size_t{size_} * index * 4, size, size, stride, width, height);
        void* pixels = nullptr;
        if (resized.empty() || !resampled.createDib(width, height, 32, true, &pixels) || pixels == nullptr)
            return;
        std::memcpy(pixels, resized.data(), resized.size());
        image = &resampled;
        sourceLeft = 0;
        sourceWidth = width;
        sourceHeight = height;
    }

    CDC memory(dc);
    if (!memory.select(*image)) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, dimmed ? dimmedAlpha_ : std::uint8_t{255}, AC_SRC_ALPHA};
    AlphaBlend(dc, destination.left, destination.top, width, height, memory.handle(), sourceLeft, 0,
               sourceWidth, sourceHeight, blend);
}

}  // namespace tarnwick::ui
