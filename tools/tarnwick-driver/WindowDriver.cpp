#include "tools/tarnwick-driver/WindowDriver.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace tarnwick::driver {

namespace {

constexpr DWORD kPollMs = 10;
// How long settle lets a window's thread paint, and how long it waits for
// the thread to take a message at all.
constexpr DWORD kPaintMs = 150;
constexpr UINT kAnswerMs = 5000;

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK matchCaption(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window)) return TRUE;
    char caption[1024] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND visibleWindow(const char* caption) {
    Search search{caption, nullptr};
    EnumWindows(&matchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Returns once the window's thread has taken every message posted before.
void flush(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &ignored);
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

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() > deadline) return false;
        Sleep(kPollMs);
    }
}

HWND waitForWindow(const char* caption, int timeoutMs) {
    int which = 0;
    return waitForAnyWindow(&caption, 1, timeoutMs, which);
}

HWND waitForAnyWindow(const char* const* captions, int count, int timeoutMs, int& which) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (int i = 0; i < count && found == nullptr; ++i) {
                found = visibleWindow(captions[i]);
                which = i;
            }
            return found != nullptr;
        },
        timeoutMs);
    if (found != nullptr) settle(found);
    return found;
}

bool waitForWindowGone(HWND window, int timeoutMs) {
    return waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
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

std::string windowText(HWND window) {
    char buffer[1024] = {};
    // Sent rather than GetWindowTextA: that reads the caption of a window of
    // another process without asking it, which misses texts of controls.
    SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::string itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

bool isChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool isEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND activeOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndActive : nullptr;
}

HFONT fontOf(HWND dialog, int id) {
    return reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dialog, id), WM_GETFONT, 0, 0));
}

void setChecked(HWND dialog, int id, bool checked) {
    SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void click(HWND dialog, int id) {
    // A message posted to no window goes to the posting thread itself.
    if (const HWND button = GetDlgItem(dialog, id)) PostMessageA(button, BM_CLICK, 0, 0);
}

void pressKey(HWND window, UINT virtualKey) {
    HWND target = focusOf(window);
    if (target == nullptr) target = window;
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scan) << 16);
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | static_cast<LPARAM>(scan) << 16 | LPARAM{3} << 30);
}

void typeText(HWND control, const std::string& text) {
    for (char c : text)
        PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
    settle(control);
}

void closeWindow(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void settle(HWND window) {
    // A sent message is handled only after the posted ones before it have
    // been taken from the queue, and painting follows once it is empty.
    flush(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(kPaintMs);
    flush(window);
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
