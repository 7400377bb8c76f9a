#include "installer/ui/ProgressBar.h"

#include "installer/ui/Dpi.h"

namespace tarnwick::ui {

namespace {

// Parts and metrics of the theme's "PROGRESS" class.
constexpr int kBarPart = 1;
constexpr int kChunkPart = 3;
constexpr int kChunkSizeMetric = 2411;
constexpr int kSpaceSizeMetric = 2412;

constexpr int kClassicChunkWidth = 8;
constexpr int kClassicGapWidth = 2;
constexpr int kClassicEdge = 2;

RECT shrunk(RECT rect, int by) {
    InflateRect(&rect, -by, -by);
    return rect;
}

}  // namespace

ProgressBar::~ProgressBar() {
    if (handle() != nullptr && busy_) KillTimer(handle(), kAnimationTimer);
}

void ProgressBar::PreSubclassWindow() {
    dpi_ = windowDpi(handle());
    rebuild();
}

void ProgressBar::setDpi(UINT dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    rebuild();
    InvalidateRect(handle(), nullptr, FALSE);
}

ChunkLayout ProgressBar::layout() const {
    RECT client{};
    GetClientRect(handle(), &client);
    const CClientDC dc(handle());
    const RECT content = contentRect(dc.handle(), client);
    return {content.left, content.right, chunkWidth_, gapWidth_};
}

RECT ProgressBar::contentRect(HDC dc, const RECT& client) const {
    if (theme_) return theme::getThemeBackgroundContentRect(theme_.get(), dc, kBarPart, 0, client);
    return shrunk(client, scaleForDpi(kClassicEdge, dpi_));
}

void ProgressBar::rebuild() {
    theme_ = theme::Data();
    chunkImage_.reset();
    backBuffer_.reset();
    if (theme::themingInUse()) theme_ = theme::Data(handle(), L"PROGRESS");
    // A theme's metrics, asked without a device context, are not scaled for
    // the display: they are pixels of a 96-dpi one, like our own.
    if (theme_) {
        chunkWidth_ = theme::getThemeMetric(theme_.get(), kBarPart, 0, kChunkSizeMetric, kClassicChunkWidth);
        gapWidth_ = theme::getThemeMetric(theme_.get(), kBarPart, 0, kSpaceSizeMetric, kClassicGapWidth);
    } else {
        chunkWidth_ = kClassicChunkWidth;
        gapWidth_ = kClassicGapWidth;
        chunkColour_ = GetSysColor(COLOR_ACTIVECAPTION);
    }
    chunkWidth_ = scaleForDpi(chunkWidth_, dpi_);
    gapWidth_ = scaleForDpi(gapWidth_, dpi_);

    RECT client{};
    GetClientRect(handle(), &client);
    if (client.right - client.left == 0) return;
    // Without a back buffer nothing is painted; the bar stays as it was.
    [[maybe_unused]] const bool buffered =
        backBuffer_.createDib(client.right, client.bottom, 24, false, nullptr);
    if (!busy_) return;

    const RECT content = contentRect(CClientDC(handle()).handle(), client);
    chunkHeight_ = content.bottom - content.top;
    if (chunkWidth_ <= 0 || chunkHeight_ <= 0) return;
    void* pixels = nullptr;
    if (!chunkImage_.createDib(chunkWidth_, chunkHeight_, 32, false, &pixels)) return;
    {
        CDC memory(nullptr);
        if (!memory.select(chunkImage_)) {
            chunkImage_.reset();
            return;
        }
        drawChunk(memory.handle(), RECT{0, 0, chunkWidth_, chunkHeight_});
        GdiFlush();
    }
    // GDI leaves the alpha bytes at 0; the blends use per-pixel alpha, so
    // the chunk is made opaque and the graded opacity comes from each blend.
    auto* pixel = static_cast<std::uint8_t*>(pixels);
    for (int i = 0; i < chunkWidth_ * chunkHeight_; ++i)
        pixel[4 * i + 3] = 255;
}

void ProgressBar::drawChunk(HDC dc, const RECT& rect) const {
    if (theme_) {
        theme::drawThemeBackground(theme_.get(), dc, kChunkPart, 0, rect);
        return;
    }
    CBrush brush;
    if (brush.createSolid(chunkColour_)) FillRect(dc, &rect, brush.handle());
}

void ProgressBar::paint() {
    const CPaintDC dc(handle());
    RECT client{};
    GetClientRect(handle(), &client);
    CDC memory(dc.handle());
    if (!memory.select(backBuffer_)) return;
    if (theme_) {
        theme::drawThemeBackground(theme_.get(), memory.handle(), kBarPart, 0, client);
    } else {
        RECT frame = client;
        DrawEdge(memory.handle(), &frame, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
    }
    const RECT content = contentRect(memory.handle(), client);
    const ChunkLayout chunks{content.left, content.right, chunkWidth_, gapWidth_};
    if (busy_ && chunkImage_) {
        CDC chunkDc(dc.handle());
        if (chunkDc.select(chunkImage_)) {
            for (const BusyChunk& chunk : busyChunks(chunks, phase_)) {
                const int width = chunk.span.right - chunk.span.left;
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, chunk.alpha, AC_SRC_ALPHA};
                AlphaBlend(memory.handle(), chunk.span.left, content.top, width, chunkHeight_,
                           chunkDc.handle(), 0, 0, width, chunkHeight_, blend);
            }
        }
    } else {
        for (const ChunkSpan& span : filledChunks(chunks, position_, range_)) {
            drawChunk(memory.handle(), RECT{span.left, content.top, span.right, content.bottom});
        }
    }
    BitBlt(dc.handle(), 0, 0, client.right, client.bottom, memory.handle(), 0, 0, SRCCOPY);
}

void ProgressBar::setPosition(std::uint32_t done, std::uint32_t total) {
    if (done == position_ && total == range_) return;
    position_ = done;
    range_ = total;
    setBusy(false);
    InvalidateRect(handle(), nullptr, FALSE);
}

void ProgressBar::setBusy(bool on) {
    if (on == busy_) return;
    busy_ = on;
    if (on) {
        SetTimer(handle(), kAnimationTimer, kAnimationPeriodMs, nullptr);
        rebuild();
        phase_ = 0;
    } else {
        KillTimer(handle(), kAnimationTimer);
    }
    InvalidateRect(handle(), nullptr, FALSE);
}

LRESULT ProgressBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_TIMER:
            if (wParam != kAnimationTimer) break;
            ++phase_;
            InvalidateRect(handle(), nullptr, FALSE);
            return 0;
        case WM_SIZE:
            if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0) rebuild();
            break;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            rebuild();
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
            if (busy_) KillTimer(handle(), kAnimationTimer);
            break;
        default:
            break;
    }
    return CStatic::WindowProc(message, wParam, lParam);
}

}  // namespace tarnwick::ui
