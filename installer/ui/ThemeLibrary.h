#pragma once

#include <windows.h>

namespace tarnwick::ui {

// The visual-style library, bound by name at run time because older systems
// lack it. Loading is attempted once; a missing library or a missing entry
// point makes every later answer "not there", and the controls draw their
// classic look.
namespace theme {

using Handle = HANDLE;

bool loadThemeLibrary();
// Themes are drawn: the library is there and the application is themed.
bool themingInUse();

Handle openThemeData(HWND window, const wchar_t* classList);
void closeThemeData(Handle theme);
// The metric, or fallback when the theme does not give it.
int getThemeMetric(Handle theme, int part, int state, int property, int fallback);
RECT getThemeBackgroundContentRect(Handle theme, HDC dc, int part, int state, const RECT& bounds);
void drawThemeBackground(Handle theme, HDC dc, int part, int state, const RECT& rect);

}  // namespace theme
}  // namespace tarnwick::ui
