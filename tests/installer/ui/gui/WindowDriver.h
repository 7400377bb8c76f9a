#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tarnwick::ui::test {

// Acts on the installer's windows from a second thread as a person would:
// it finds them by caption, reads what they show and clicks, types and
// presses keys. Input is posted, so a click that opens another modal dialog
// does not block the driver.

// A visible top-level window of this process with that caption, waited for;
// null after the timeout.
HWND waitForWindow(const char* caption, int timeoutMs = 5000);
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
bool waitForWindowGone(HWND window, int timeoutMs = 5000);

std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);
// The window with the keyboard focus on the thread that owns window.
HWND focusOf(HWND window);
// The active window of the thread that owns window.
HWND activeOf(HWND window);
// The font a control draws its text with.
HFONT fontOf(HWND dialog, int id);

void click(HWND dialog, int id);
// A key press (down and up) to the control that has the focus.
void pressKey(HWND window, UINT virtualKey);
void typeText(HWND control, const std::string& text);

// Waits until the window's thread has handled everything posted so far and
// has painted.
void settle(HWND window);

// Saves what the screen shows of the window, frame and caption included, as
// screenshots/NAME.bmp under the working directory (the test run turns it
// into a PNG).
void saveScreenshot(HWND window, const char* name);

// Runs show on this thread (it opens a modal window) while drive acts on it
// from a second thread. A driver that leaves windows open gets a test
// failure, and the modal loops are ended so that the run goes on.
INT_PTR runDriven(const std::function<INT_PTR()>& show, const std::function<void()>& drive);

}  // namespace tarnwick::ui::test

namespace tarnwick::ui::test {

// Runs this thread's message loop (with PreTranslateMessage, as the
// application's loop does) until the condition holds; false on timeout.
bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// Handles everything queued for this thread so far.
void pumpPending();

}  // namespace tarnwick::ui::test
