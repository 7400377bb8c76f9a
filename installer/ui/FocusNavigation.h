#pragma once

#include <windows.h>

namespace tarnwick::ui {

// Moves the keyboard focus from a control to the next (or previous) visible,
// enabled tab stop among its siblings, wrapping at the ends. Without another
// tab stop nothing changes.
void moveFocus(HWND from, bool forward);

// Gives a control the focus and selects its whole text, unless it answers
// kFocusSelectsItself with non-zero to say it does its own selecting.
void focusControl(HWND control);

constexpr UINT kFocusSelectsItself = WM_APP + 14;

}  // namespace tarnwick::ui
