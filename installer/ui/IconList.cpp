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

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(header->imageSize * header->imageCount);
    info.bmiHeader.biHeight = -static_cast<LONG>(header->imageSize);  // rows run top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    strip_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (strip_ == nullptr || pixels == nullptr) return;
    size_ = header->imageSize;
    count_ = header->imageCount;
    std::memset(pixels, 0, stripBytes(*header));
    fillIconStrip(bytes, length, *header, static_cast<std::uint8_t*>(pixels));
}

IconList::~IconList() {
    if (strip_ != nullptr) DeleteObject(strip_);
}

void IconList::draw(HDC dc, const RECT& destination, std::uint32_t index, bool dimmed) const {
    if (index >= count_ || strip_ == nullptr) return;
    const HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr) return;
    const HGDIOBJ previous = SelectObject(memory, strip_);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, dimmed ? dimmedAlpha_ : std::uint8_t{255}, AC_SRC_ALPHA};
    const int size = static_cast<int>(size_);
    AlphaBlend(dc, destination.left, destination.top, destination.right - destination.left,
               destination.bottom - destination.top, memory, size * static_cast<int>(index), 0, size, size,
               blend);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

}  // namespace tarnwick::ui
