#include "installer/ui/IconList.h"

#include <cstring>

#include "installer/ui/logic/IconListData.h"

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
    std::memset(pixels, 0, stripBytes(*header));
    fillIconStrip(bytes, length, *header, static_cast<std::uint8_t*>(pixels));
}

void IconList::draw(HDC dc, const RECT& destination, std::uint32_t index, bool dimmed) const {
    if (index >= count_) return;
    CDC memory(dc);
    if (!memory.select(strip_)) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, dimmed ? dimmedAlpha_ : std::uint8_t{255}, AC_SRC_ALPHA};
    const int size = static_cast<int>(size_);
    AlphaBlend(dc, destination.left, destination.top, destination.right - destination.left,
               destination.bottom - destination.top, memory.handle(), size * static_cast<int>(index), 0, size,
               size, blend);
}

}  // namespace tarnwick::ui
