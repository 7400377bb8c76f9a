#include "installer/ui/framework/Window.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace tarnwick::ui {

namespace {

constexpr const char* kBindingProperty = "TarnwickWindowObject";

}  // namespace

CWnd::~CWnd() {
    // An object that goes away before its window must not leave the window
    // routing to freed memory.
    if (hwnd_ != nullptr) {
        if (superProc_ != nullptr)
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
        RemovePropA(hwnd_, kBindingProperty);
    }
}

CWnd* CWnd::fromHandle(HWND window) {
    return window == nullptr ? nullptr : static_cast<CWnd*>(GetPropA(window, kBindingProperty));
}

void CWnd::bind(HWND window) {
    hwnd_ = window;
    SetPropA(window, kBindingProperty, this);
}

bool CWnd::subclassWindow(HWND window) {
    if (window == nullptr || !IsWindow(window) || fromHandle(window) != nullptr || hwnd_ != nullptr)
        return false;
    bind(window);
    superProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::windowProcedure)));
    PreSubclassWindow();
    return true;
}

bool CWnd::subclassDialogItem(int id, const CWnd& parent) {
    return subclassWindow(GetDlgItem(parent.handle(), id));
}

BOOL CWnd::destroyWindow() {
    return hwnd_ != nullptr && DestroyWindow(hwnd_);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

bool CWnd::createBound(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                       HWND parent, HMENU menuOrId) {
    const HWND window =
        CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, parent, menuOrId, GetModuleHandleA(nullptr), this);
    return window != nullptr && window == hwnd_;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (superProc_ != nullptr) return CallWindowProcA(superProc_, hwnd_, message, wParam, lParam);
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CWnd::dispatch(CWnd* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        // A handler that failed leaves the message to the system, so the
        // window stays usable; nothing may unwind through the system's frames.
        std::fputs("window message handler failed\n", stderr);
        result = self->superProc_ ? CallWindowProcA(self->superProc_, window, message, wParam, lParam)
                                  : DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        if (self->superProc_ != nullptr) {
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->superProc_));
        }
        RemovePropA(window, kBindingProperty);
        self->hwnd_ = nullptr;
        self->superProc_ = nullptr;
        try {
            self->PostNcDestroy();  // may delete the object
        } catch (...) {
            std::fputs("window clean-up failed\n", stderr);
        }
    }
    return result;
}

LRESULT CALLBACK CWnd::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = fromHandle(window);
    if (self == nullptr && message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self != nullptr) self->bind(window);
    }
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return dispatch(self, window, message, wParam, lParam);
}

const char* registerWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::mutex mutex;
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::string> registered;
    const std::lock_guard lock(mutex);
    auto& name = registered[{classStyle, cursor, background, icon}];
    if (name.empty()) {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "TarnwickWnd:%x:%p:%p:%p", classStyle,
                      static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
        WNDCLASSA windowClass{};
        windowClass.style = classStyle;
        windowClass.lpfnWndProc = &CWnd::windowProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = cursor;
        windowClass.hbrBackground = background;
        windowClass.hIcon = icon;
        windowClass.lpszClassName = buffer;
        RegisterClassA(&windowClass);  // an existing class of that name is just as good
        name = buffer;
    }
    return name.c_str();
}

}  // namespace tarnwick::ui
