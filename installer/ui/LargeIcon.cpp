#include "installer/ui/LargeIcon.h"

#include "installer/ui/Dpi.h"
#include "installer/ui/logic/DpiScale.h"

namespace tarnwick::ui {

namespace {

// Icons drawn dimmed are half transparent.
constexpr std::uint8_t kDimmedAlpha = 128;
// Around the image, at 96 dpi.
constexpr int kMargin = 4;

}  // namespace

CLargeIcon::CLargeIcon(UINT resourceId, std::uint32_t index, std::uint32_t size)
    : size_(size), index_(index), icons_(resourceId, kDimmedAlpha) {}

int CLargeIcon::displaySize(UINT dpi) const {
    return scaleForDpi(static_cast<int>(size_), dpi);
}

void CLargeIcon::fitToResolution() {
    const UINT dpi = windowDpi(handle());
    const int side = displaySize(dpi) + scaleForDpi(kMargin, dpi);
    SetWindowPos(
        handle(), nullptr, 0, 0, side, side,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER);
}

LRESULT CLargeIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            const CPaintDC dc(handle());
            const int side = displaySize(windowDpi(handle()));
            icons_.draw(dc.handle(), RECT{0, 0, side, side}, index_, false);
            return 0;
        }
        case kDpiChangedAfterParent:
            // The dialog has laid its controls out anew from its template,
            // this one included.
            fitToResolution();
            InvalidateRect(handle(), nullptr, TRUE);
            return 0;
        default:
            return CStatic::WindowProc(message, wParam, lParam);
    }
}

}  // namespace tarnwick::ui
