#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Acts on windows of another program or of another thread as a person
// would: finds them by caption, reads what they show, clicks, types, presses
// keys and saves what the screen shows of them. Input is posted, so a click
// that opens a modal dialog does not hold the driver.
namespace tarnwick::driver {

// Polls the condition until it holds; false when the timeout passed first.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// A visible top-level window with that caption, waited for and then settled;
// null after the timeout.
HWND waitForWindow(const char* caption, int timeoutMs = 5000);
// The first of several captions to appear (earlier ones win when several
// are shown), with its index in which; settled as waitForWindow does.
HWND waitForAnyWindow(const char* const* captions, int count, int timeoutMs, int& which);
// True once the window is gone or hidden.
bool waitForWindowGone(HWND window, int timeoutMs = 5000);
// The captions of every visible top-level window, quoted and separated by
// commas: what a person would see when an expected window did not come.
std::string visibleWindowCaptions();

// Asked of the window itself, so that controls of other threads answer too.
std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);
// The window with the keyboard focus on the thread that owns window.
HWND focusOf(HWND window);
// The active window of the thread that owns window.
HWND activeOf(HWND window);
// The font a control draws its text with; the control's, not ours to delete.
HFONT fontOf(HWND dialog, int id);

// Sets a box's state without telling the dialog, as its initial state is set.
void setChecked(HWND dialog, int id, bool checked);
// Presses the button as a click would: a box or radio button changes its
// state, and the dialog hears of it. Nothing for an id without a control.
void click(HWND dialog, int id);
// A key press (down and up) to the control that has the focus.
void pressKey(HWND window, UINT virtualKey);
// Types the text into the control, one character at a time, and settles.
void typeText(HWND control, const std::string& text);
void closeWindow(HWND window);

// Waits until the window's thread, which must be another than the caller's,
// has handled everything posted to it so far and has painted. A thread that
// does not answer within a few seconds is not waited for further.
void settle(HWND window);

// Saves what the screen shows of the window, frame included, as a 24-bit
// BMP file. False when nothing could be captured or written.
[[nodiscard]] bool saveScreenshot(HWND window, const std::string& file);

}  // namespace tarnwick::driver
