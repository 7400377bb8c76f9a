#include "installer/ui/FocusNavigation.h"

namespace tarnwick::ui {

namespace {

bool isTabStop(HWND window) {
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    return (style & WS_VISIBLE) && (style & WS_TABSTOP) && !(style & WS_DISABLED);
}

}  // namespace

void moveFocus(HWND from, bool forward) {
    if (from == nullptr) return;
    HWND candidate = from;
    for (;;) {
        HWND next = GetWindow(candidate, forward ? GW_HWNDNEXT : GW_HWNDPREV);
        if (next == nullptr) next = GetWindow(candidate, forward ? GW_HWNDFIRST : GW_HWNDLAST);
        if (next == nullptr || next == from) return;
        if (isTabStop(next)) {
            focusControl(next);
            return;
        }
        candidate = next;
    }
}

void focusControl(HWND control) {
    SetFocus(control);
    if (SendMessageA(control, kFocusSelectsItself, 0, 0) == 0) SendMessageA(control, EM_SETSEL, 0, -1);
}

}  // namespace tarnwick::ui
