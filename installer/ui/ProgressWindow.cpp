#include "installer/ui/ProgressWindow.h"

#include <cstring>
#include <memory>

#include "installer/ui/Dpi.h"
#include "installer/ui/Fonts.h"
#include "installer/ui/ResourceIds.h"
#include "installer/ui/logic/DpiScale.h"

namespace tarnwick::ui {

namespace {

constexpr int kTextBufferSize = 256;

void place(const CWnd& child, const PixelRect& rect) {
    SetWindowPos(child.handle(), nullptr, rect.left, rect.top, rect.width(), rect.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ProgressWindow::ProgressWindow() : CFrameWndEx(nullptr), ownerThread_(GetCurrentThreadId()) {
    setDeleteOnDestroy(false);
    // Made for the screen's resolution; once the window exists, its own is
    // known, which differs only where the monitors do.
    const ProgressLayout screen = progressLayout(windowDpi(nullptr));
    createFrame(IDI_TARNWICK, RECT{0, 0, screen.clientWidth, screen.clientHeight}, "", false);
    if (handle() == nullptr) return;
    const UINT dpi = windowDpi(handle());
    const ProgressLayout layout = progressLayout(dpi);
    setClientSize(layout.clientWidth, layout.clientHeight);

    RECT window{};
    GetWindowRect(handle(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The children get their places, font and measures from layOut; one that
    // could not be made is simply missing.
    [[maybe_unused]] const bool statusMade =
        status_.Create("", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, RECT{}, *this, 0xFFFF);
    if (bar_.Create("", WS_CHILD | WS_VISIBLE, RECT{}, *this, 0xFFFF)) bar_.setBusy(true);
    layOut(dpi);
}

void ProgressWindow::layOut(UINT dpi) {
    const ProgressLayout layout = progressLayout(dpi);
    place(status_, layout.statusLine);
    if (CFont* font = boldDialogFont(dpi)) {
        SendMessageA(status_.handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font->handle()), TRUE);
    }
    // Told before it moves, so that it rebuilds for its new size with the
    // new measures.
    bar_.setDpi(dpi);
    place(bar_, layout.bar);
}

// The children go before the frame's window, which the base destroys.
ProgressWindow::~ProgressWindow() {
    bar_.destroyWindow();
    status_.destroyWindow();
}

void ProgressWindow::show() {
    if (!onOwnerThread()) {
        PostMessageA(handle(), kShowMessage, 0, 0);
        return;
    }
    ShowWindow(handle(), SW_RESTORE);
    refresh();
}

void ProgressWindow::title(char* buffer) const {
    buffer[0] = '\0';
    GetWindowTextA(handle(), buffer, kTextBufferSize);
}

void ProgressWindow::setTitle(const char* text) {
    SetWindowTextA(handle(), text);
}

void ProgressWindow::statusText(char* buffer) const {
    buffer[0] = '\0';
    GetWindowTextA(status_.handle(), buffer, kTextBufferSize);
}

void ProgressWindow::setStatusText(const char* text) {
    if (!onOwnerThread()) {
        // The copy belongs to the message; its handler frees it. When the
        // post fails nobody will, so it is freed here.
        std::unique_ptr<char[]> copy;
        if (text != nullptr && *text != '\0') {
            copy.reset(new char[std::strlen(text) + 1]);
            std::strcpy(copy.get(), text);
        }
        if (PostMessageA(handle(), kStatusTextMessage, 0, reinterpret_cast<LPARAM>(copy.get())))
            copy.release();
        return;
    }
    SetWindowTextA(status_.handle(), text != nullptr ? text : "");
    UpdateWindow(status_.handle());
}

void ProgressWindow::setProgress(std::uint32_t done, std::uint32_t total) {
    if (!onOwnerThread()) {
        PostMessageA(handle(), kProgressMessage, done, total);
        return;
    }
    if (done == 0 && total == 0) {
        bar_.setBusy(true);
    } else {
        bar_.setPosition(done, total);
    }
    UpdateWindow(bar_.handle());
}

void ProgressWindow::refresh() {
    UpdateWindow(handle());
}

LRESULT ProgressWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kShowMessage:
            show();
            return 0;
        case kStatusTextMessage: {
            const std::unique_ptr<char[]> text(reinterpret_cast<char*>(lParam));
            setStatusText(text.get());
            return 0;
        }
        case kProgressMessage:
            setProgress(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
            return 0;
        case WM_DPICHANGED: {
            // Moved to a monitor of another resolution: the system suggests
            // the window's new rectangle, scaled and on that monitor.
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            layOut(HIWORD(wParam));
            return 0;
        }
        default:
            return CFrameWndEx::WindowProc(message, wParam, lParam);
    }
}

}  // namespace tarnwick::ui
