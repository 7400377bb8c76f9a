#include "installer/ui/logic/DpiScale.h"

#include <cstdint>

namespace tarnwick::ui {

int scaleForDpi(int pixels, unsigned dpi) {
    const std::int64_t product = std::int64_t{pixels} * dpi;
    const std::int64_t half = kDesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi);
}

PixelRect scaleForDpi(const PixelRect& rect, unsigned dpi) {
    return {scaleForDpi(rect.left, dpi), scaleForDpi(rect.top, dpi), scaleForDpi(rect.right, dpi),
            scaleForDpi(rect.bottom, dpi)};
}

ProgressLayout progressLayout(unsigned dpi) {
    // At 96 dpi the status line is 16 pixels high for an 8-point font of
    // about 13; the font grows with the resolution, so the line does too.
    constexpr int kClientWidth = 350;
    constexpr int kClientHeight = 70;
    constexpr PixelRect kStatusLine{20, 12, 330, 28};
    constexpr PixelRect kBar{20, 36, 330, 52};
    return {scaleForDpi(kClientWidth, dpi), scaleForDpi(kClientHeight, dpi), scaleForDpi(kStatusLine, dpi),
            scaleForDpi(kBar, dpi)};
}

}  // namespace tarnwick::ui
