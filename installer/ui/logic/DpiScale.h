#pragma once

namespace tarnwick::ui {

// The windows' measures are drawn up for a display of 96 dots per inch, the
// resolution of 100 % scaling; on any other they grow or shrink with it.
constexpr unsigned kDesignDpi = 96;

// A measure of the 96-dpi design at dpi, rounded as MulDiv rounds (half away
// from zero), so that the windows agree with the system's own scaling.
int scaleForDpi(int pixels, unsigned dpi);

// A rectangle in client pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// Each edge scaled on its own, so that neighbouring rectangles that touch at
// 96 dpi still touch.
PixelRect scaleForDpi(const PixelRect& rect, unsigned dpi);

// The progress window at a resolution: its client area, the status line and
// the bar inside it.
struct ProgressLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    PixelRect statusLine;
    PixelRect bar;
};

ProgressLayout progressLayout(unsigned dpi);

}  // namespace tarnwick::ui
