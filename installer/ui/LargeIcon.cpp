#include "installer/ui/LargeIcon.h"

namespace tarnwick::ui {

namespace {

// Icons drawn dimmed are half transparent.
constexpr std::uint8_t kDimmedAlpha = 128;

}  // namespace

CLargeIcon::CLargeIcon(UINT resourceId, std::uint32_t index, std::uint32_t size)
    : size_(size), index_(index), icons_(resourceId, kDimmedAlpha) {}

void CLargeIcon::PreSubclassWindow() {
    const int side = static_cast<int>(size_) + 4;
    SetWindowPos(
        handle(), nullptr, 0, 0, side, side,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER);
}

LRESULT CLargeIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return CStatic::WindowProc(message, wParam, lParam);
    const CPaintDC dc(handle());
    const int side = static_cast<int>(size_);
    icons_.draw(dc.handle(), RECT{0, 0, side, side}, index_, false);
    return 0;
}

}  // namespace tarnwick::ui
