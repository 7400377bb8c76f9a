#include "installer/ui/ProgressBar.h"

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

HBITMAP createBitmap(int width, int height, WORD bitsPerPixel, bool topDown, void** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    void* ignored = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels ? pixels : &ignored, nullptr, 0);
}

RECT shrunk(RECT rect, int by) {
    InflateRect(&rect, -by, -by);
    return rect;
}

}  // namespace

ProgressBar::~ProgressBar() {
    if (handle() != nullptr && busy_) KillTimer(handle(), kAnimationTimer);
    releaseResources();
}

void ProgressBar::releaseResources() {
    if (theme_ != nullptr) theme::closeThemeData(theme_);
    theme_ = nullptr;
    if (chunkImage_ != nullptr) DeleteObject(chunkImage_);
    chunkImage_ = nullptr;
    if (backBuffer_ != nullptr) DeleteObject(backBuffer_);
    backBuffer_ = nullptr;
}

ChunkLayout ProgressBar::layout() const {
    RECT client{};
    GetClientRect(handle(), &client);
    const HDC dc = GetDC(handle());
    const RECT content = contentRect(dc, client);
    ReleaseDC(handle(), dc);
    return {content.left, content.right, chunkWidth_, gapWidth_};
}

RECT ProgressBar::contentRect(HDC dc, const RECT& client) const {
    if (theme_ != nullptr) return theme::getThemeBackgroundContentRect(theme_, dc, kBarPart, 0, client);
    return shrunk(client, kClassicEdge);
}

void ProgressBar::rebuild() {
    releaseResources();
    if (theme::themingInUse()) theme_ = theme::openThemeData(handle(), L"PROGRESS");
    if (theme_ != nullptr) {
        chunkWidth_ = theme::getThemeMetric(theme_, kBarPart, 0, kChunkSizeMetric, kClassicChunkWidth);
        gapWidth_ = theme::getThemeMetric(theme_, kBarPart, 0, kSpaceSizeMetric, kClassicGapWidth);
    } else {
        chunkWidth_ = kClassicChunkWidth;
        gapWidth_ = kClassicGapWidth;
        chunkColour_ = GetSysColor(COLOR_ACTIVECAPTION);
    }

    RECT client{};
    GetClientRect(handle(), &client);
    if (client.right - client.left == 0) return;
    backBuffer_ = createBitmap(client.right, client.bottom, 24, false, nullptr);
    if (!busy_) return;

    const HDC windowDc = GetDC(handle());
    const RECT content = contentRect(windowDc, client);
    ReleaseDC(handle(), windowDc);
    chunkHeight_ = content.bottom - content.top;
    if (chunkWidth_ <= 0 || chunkHeight_ <= 0) return;
    void* pixels = nullptr;
    chunkImage_ = createBitmap(chunkWidth_, chunkHeight_, 32, false, &pixels);
    if (chunkImage_ == nullptr) return;
    const HDC memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(memory, chunkImage_);
    drawChunk(memory, RECT{0, 0, chunkWidth_, chunkHeight_});
    GdiFlush();
    SelectObject(memory, previous);
    DeleteDC(memory);
    // GDI leaves the alpha bytes at 0; the blends use per-pixel alpha, so
    // the chunk is made opaque and the graded opacity comes from each blend.
    auto* pixel = static_cast<std::uint8_t*>(pixels);
    for (int i = 0; i < chunkWidth_ * chunkHeight_; ++i)
        pixel[4 * i + 3] = 255;
}

void ProgressBar::drawChunk(HDC dc, const RECT& rect) const {
    if (theme_ != nullptr) {
        theme::drawThemeBackground(theme_, dc, kChunkPart, 0, rect);
        return;
    }
    const HBRUSH brush = CreateSolidBrush(chunkColour_);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void ProgressBar::paint() {
    PAINTSTRUCT paintInfo;
    const HDC dc = BeginPaint(handle(), &paintInfo);
    RECT client{};
    GetClientRect(handle(), &client);
    if (backBuffer_ != nullptr) {
        const HDC memory = CreateCompatibleDC(dc);
        const HGDIOBJ previous = SelectObject(memory, backBuffer_);
        RECT content;
        if (theme_ != nullptr) {
            theme::drawThemeBackground(theme_, memory, kBarPart, 0, client);
            content = theme::getThemeBackgroundContentRect(theme_, memory, kBarPart, 0, client);
        } else {
            RECT frame = client;
            DrawEdge(memory, &frame, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
            content = shrunk(client, kClassicEdge);
        }
        const ChunkLayout chunks{content.left, content.right, chunkWidth_, gapWidth_};
        if (busy_ && chunkImage_ != nullptr) {
            const HDC chunkDc = CreateCompatibleDC(dc);
            const HGDIOBJ previousChunk = SelectObject(chunkDc, chunkImage_);
            for (const BusyChunk& chunk : busyChunks(chunks, phase_)) {
                const int width = chunk.span.right - chunk.span.left;
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, chunk.alpha, AC_SRC_ALPHA};
                AlphaBlend(memory, chunk.span.left, content.top, width, chunkHeight_, chunkDc, 0, 0, width,
                           chunkHeight_, blend);
            }
            SelectObject(chunkDc, previousChunk);
            DeleteDC(chunkDc);
        } else {
            for (const ChunkSpan& span : filledChunks(chunks, position_, range_)) {
                drawChunk(memory, RECT{span.left, content.top, span.right, content.bottom});
            }
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    EndPaint(handle(), &paintInfo);
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
