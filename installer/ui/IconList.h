#pragma once

#include <windows.h>

#include <cstdint>

#include "installer/ui/framework/Gdi.h"

namespace tarnwick::ui {

// A strip of square images with alpha, loaded once from an "ICONLIST"
// resource of the installer's own module, blended onto windows one image at
// a time. A missing or empty resource gives an empty list that draws
// nothing.
class IconList {
public:
    IconList(UINT resourceId, std::uint8_t dimmedAlpha);
    IconList(const IconList&) = delete;
    IconList& operator=(const IconList&) = delete;
    virtual ~IconList() = default;

    // Blends image index onto dc, resampled to the rectangle's size with a
    // smoothing filter when that is not the image's own; nothing for an index
    // past the end.
    void draw(HDC dc, const RECT& destination, std::uint32_t index, bool dimmed) const;

    std::uint32_t imageSize() const { return size_; }
    std::uint32_t imageCount() const { return count_; }

private:
    std::uint32_t size_ = 0;
    std::uint32_t count_ = 0;
    CBitmap strip_;
    const std::uint8_t* pixels_ = nullptr;  // the strip's, while it lives
    std::uint8_t dimmedAlpha_;
};

}  // namespace tarnwick::ui
