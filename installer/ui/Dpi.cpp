#include "installer/ui/Dpi.h"

#include "installer/ui/framework/Gdi.h"
#include "installer/ui/logic/DpiScale.h"

namespace tarnwick::ui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Bound by name: older systems lack it, and a program that imported it
// would not start there.
GetDpiForWindowFn getDpiForWindow() {
    static const auto bound = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return bound;
}

}  // namespace

UINT windowDpi(HWND window) {
    if (window != nullptr) {
        if (const GetDpiForWindowFn query = getDpiForWindow()) {
            // 0 for a window that is gone; the screen's answer is as good.
            if (const UINT dpi = query(window); dpi != 0) return dpi;
        }
    }
    const int dpi = GetDeviceCaps(CClientDC(nullptr).handle(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace tarnwick::ui
