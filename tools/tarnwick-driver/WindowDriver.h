#pragma once

#include <windows.h>

#include <string>

// Acts on another program's windows as a person would: finds them by
// caption, reads what they show, ticks boxes and clicks buttons, and saves
// what the screen shows of them. Clicks are posted, so one that opens a
// modal dialog does not hold the driver.
namespace tarnwick::driver {

// A visible top-level window with that caption, waited for; null after the
// timeout.
HWND waitForWindow(const char* caption, int timeoutMs);
// The first of several captions to appear, with its index in which.
HWND waitForAnyWindow(const char* const* captions, int count, int timeoutMs, int& which);
// True once the window is gone or hidden.
bool waitForWindowGone(HWND window, int timeoutMs);
// The captions of every visible top-level window, quoted and separated by
// commas: what a person would see when an expected window did not come.
std::string visibleWindowCaptions();

std::string itemText(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, bool checked);
void click(HWND dialog, int id);
void closeWindow(HWND window);

// Saves what the screen shows of the window, frame included, as a 24-bit
// BMP file. False when nothing could be captured or written.
[[nodiscard]] bool saveScreenshot(HWND window, const std::string& file);

}  // namespace tarnwick::driver
