#pragma once

#include <windows.h>

namespace tarnwick::ui {

// The resolution a window is shown at, in dots per inch. Where the system
// scales each monitor on its own (Windows 10 1607 and later) it is the
// window's, which follows it from monitor to monitor; elsewhere, and for a
// null window, it is the screen's.
UINT windowDpi(HWND window);

// Sent to a window's children once the window has taken a new resolution
// (Windows 10 1703 and later); the system headers declare it only for
// programs that require such a system.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

}  // namespace tarnwick::ui
