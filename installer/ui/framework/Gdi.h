#pragma once

#include <windows.h>

#include <utility>

namespace tarnwick::ui {

// Owners of GDI objects. What we create is held in one of these types and
// deleted on scope exit; what GDI or a window only lends us (a stock object,
// the font a control draws with, a window's device context) is never deleted
// by us: a bare handle, or a borrowing type that hands it back.

// Owns one GDI object (font, bitmap, brush); empty at null. Move-only.
template <class Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(CGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) attach(std::exchange(other.handle_, nullptr));
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() { attach(nullptr); }

    Handle handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() { attach(nullptr); }

protected:
    // Deletes what was held and takes handle; false when handle is null.
    bool attach(Handle handle) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
        return handle_ != nullptr;
    }

private:
    Handle handle_ = nullptr;
};

class CFont : public CGdiObject<HFONT> {
public:
    // False, leaving no font, when GDI cannot make it.
    [[nodiscard]] bool create(const LOGFONTA& description) {
        return attach(CreateFontIndirectA(&description));
    }
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    // False, leaving no brush, when GDI cannot make it.
    [[nodiscard]] bool createSolid(COLORREF colour) { return attach(CreateSolidBrush(colour)); }
};

class CBitmap : public CGdiObject<HBITMAP> {
public:
    // A device-independent bitmap of bitsPerPixel (24 or 32) whose rows run
    // bottom to top, or top to bottom when asked. pixels, when not null,
    // receives the address of its pixels, valid while the bitmap lives.
    // False, leaving no bitmap, when GDI cannot make it.
    [[nodiscard]] bool createDib(int width, int height, WORD bitsPerPixel, bool topDown, void** pixels) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = topDown ? -height : height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = bitsPerPixel;
        info.bmiHeader.biCompression = BI_RGB;
        void* ignored = nullptr;
        return attach(
            CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels ? pixels : &ignored, nullptr, 0));
    }
};

// A memory device context of our own, deleted on scope exit. A bitmap
// selected into it is deselected first (the DC's original one is put back),
// so that the bitmap can be deleted after the DC: declare the bitmap first.
class CDC {
public:
    // Compatible with dc, or with the screen for null; empty when GDI cannot
    // make one.
    explicit CDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    ~CDC() {
        if (dc_ == nullptr) return;
        if (original_ != nullptr) SelectObject(dc_, original_);
        DeleteDC(dc_);
    }

    HDC handle() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

    // Draws into bitmap from now on. False when there is no DC or bitmap or
    // GDI refuses it; the DC is then unchanged.
    [[nodiscard]] bool select(const CBitmap& bitmap) {
        if (dc_ == nullptr || !bitmap) return false;
        const HGDIOBJ previous = SelectObject(dc_, bitmap.handle());
        if (previous == nullptr || previous == HGDI_ERROR) return false;
        if (original_ == nullptr) original_ = previous;
        return true;
    }

private:
    HDC dc_;
    HGDIOBJ original_ = nullptr;
};

// The device context of a window's client area, or of the whole screen for
// a null window, borrowed from the system and handed back on scope exit.
class CClientDC {
public:
    explicit CClientDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    ~CClientDC() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }

    HDC handle() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// The painting of one WM_PAINT: BeginPaint on construction, EndPaint on
// scope exit, so that the update region is validated on every path.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { EndPaint(window_, &paint_); }

    HDC handle() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace tarnwick::ui
