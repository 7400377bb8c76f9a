#pragma once

#include <windows.h>

#include <cstdint>

#include "installer/ui/ThemeLibrary.h"
#include "installer/ui/framework/Gdi.h"
#include "installer/ui/framework/Static.h"
#include "installer/ui/logic/BarGeometry.h"
#include "installer/ui/logic/DpiScale.h"

namespace tarnwick::ui {

// A double-buffered bar with two modes: done of total, drawn as chunks, and
// a busy animation of six chunks of graded opacity moving one step every
// 25 ms. It follows the visual theme when themes are in use and draws a
// classic sunken bar with chunks in the active-caption colour otherwise.
// Chunks, gaps and the classic edge are measures of a 96-dpi display that
// grow with the bar's resolution.
class ProgressBar : public CStatic {
public:
    ProgressBar() = default;
    ~ProgressBar() override;

    // Shows done of total and ends the busy animation, unless both equal the
    // values last stored, in which case nothing changes.
    void setPosition(std::uint32_t done, std::uint32_t total);
    void setBusy(bool on);
    // The resolution the bar is shown at, for a window that moved to a
    // monitor of another one; it is the window's own when the bar is made.
    void setDpi(UINT dpi);

    bool busy() const { return busy_; }
    std::uint32_t position() const { return position_; }
    std::uint32_t range() const { return range_; }
    std::uint32_t phase() const { return phase_; }
    bool themed() const { return static_cast<bool>(theme_); }
    // Where the chunks go in the current client area.
    ChunkLayout layout() const;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr UINT_PTR kAnimationTimer = 4;
    static constexpr UINT kAnimationPeriodMs = 25;

    void rebuild();
    void paint();
    RECT contentRect(HDC dc, const RECT& client) const;
    void drawChunk(HDC dc, const RECT& rect) const;

    std::uint32_t position_ = 0;
    std::uint32_t range_ = 0;
    theme::Data theme_;
    COLORREF chunkColour_ = 0;
    int chunkWidth_ = 8;
    int gapWidth_ = 2;
    int chunkHeight_ = 0;
    bool busy_ = false;
    std::uint32_t phase_ = 0;
    UINT dpi_ = kDesignDpi;
    CBitmap chunkImage_;
    CBitmap backBuffer_;
};

}  // namespace tarnwick::ui
