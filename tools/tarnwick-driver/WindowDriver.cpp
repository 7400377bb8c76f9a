#include "tools/tarnwick-driver/WindowDriver.h"

#include <cstdio>
#include <vector>

namespace tarnwick::driver {

namespace {

constexpr DWORD kPollMs = 50;

HWND visibleWindow(const char* caption) {
    const HWND window = FindWindowA(nullptr, caption);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// Owns a screen capture's GDI objects.
struct Capture {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = nullptr;
    ~Capture() {
        if (bitmap != nullptr) DeleteObject(bitmap);
        if (memory != nullptr) DeleteDC(memory);
        if (screen != nullptr) ReleaseDC(nullptr, screen);
    }
};

}  // namespace

HWND waitForWindow(const char* caption, int timeoutMs) {
    int which = 0;
    return waitForAnyWindow(&caption, 1, timeoutMs, which);
}

HWND waitForAnyWindow(const char* const* captions, int count, int timeoutMs, int& which) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (int i = 0; i < count; ++i) {
            if (const HWND window = visibleWindow(captions[i])) {
                which = i;
                return window;
            }
        }
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return nullptr;
        Sleep(kPollMs);
    }
}

bool waitForWindowGone(HWND window, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        Sleep(kPollMs);
    }
    return true;
}

std::string visibleWindowCaptions() {
    std::string captions;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            char caption[256] = {};
            if (IsWindowVisible(window) && GetWindowTextA(window, caption, sizeof caption) > 0) {
                auto& text = *reinterpret_cast<std::string*>(list);
                text += (text.empty() ? "\"" : ", \"") + std::string(caption) + "\"";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&captions));
    return captions.empty() ? "none" : captions;
}

std::string itemText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool isChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setChecked(HWND dialog, int id, bool checked) {
    SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void closeWindow(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

bool saveScreenshot(HWND window, const std::string& file) {
    RECT area{};
    if (!GetWindowRect(window, &area)) return false;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;

    Capture capture;
    if (capture.screen == nullptr || capture.memory == nullptr) return false;
    capture.bitmap = CreateCompatibleBitmap(capture.screen, width, height);
    if (capture.bitmap == nullptr) return false;
    const HGDIOBJ previous = SelectObject(capture.memory, capture.bitmap);
    const BOOL copied =
        BitBlt(capture.memory, 0, 0, width, height, capture.screen, area.left, area.top, SRCCOPY);
    SelectObject(capture.memory, previous);
    if (!copied) return false;

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files keep their rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * height);
    if (!GetDIBits(capture.memory, capture.bitmap, 0, height, pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
        return false;

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                         std::fwrite(&info, sizeof info, 1, out) == 1 &&
                         std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

}  // namespace tarnwick::driver
