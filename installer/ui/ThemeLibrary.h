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
// Owns the theme data opened for a window and closes it on scope exit;
// empty when themes are not drawn or the window class has none. Move-only.
class Data {
public:
    Data() = default;
    Data(HWND window, const wchar_t* classList) : handle_(openThemeData(window, classList)) {}
    Data(Data&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Data& operator=(Data&& other) noexcept {
        if (this != &other) {
            closeThemeData(handle_);
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;
    ~Data() { closeThemeData(handle_); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

// The metric, or fallback when the theme does not give it.
int getThemeMetric(Handle theme, int part, int state, int property, int fallback);
RECT getThemeBackgroundContentRect(Handle theme, HDC dc, int part, int state, const RECT& bounds);
void drawThemeBackground(Handle theme, HDC dc, int part, int state, const RECT& rect);

}  // namespace theme
}  // namespace tarnwick::ui
