#include "installer/ui/ThemeLibrary.h"

namespace tarnwick::ui::theme {

namespace {

using IsThemeActiveFn = BOOL(WINAPI*)();
using IsAppThemedFn = BOOL(WINAPI*)();
using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using GetThemeBackgroundContentRectFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, RECT*);
using GetThemeMetricFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, int, int*);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
using DrawThemeBackgroundExFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const void*);
using DrawThemeParentBackgroundFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using DrawThemeEdgeFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, UINT, UINT, RECT*);
using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);

struct Library {
    HMODULE module = nullptr;
    IsThemeActiveFn isThemeActive = nullptr;
    IsAppThemedFn isAppThemed = nullptr;
    OpenThemeDataFn openThemeData = nullptr;
    GetThemeBackgroundContentRectFn getThemeBackgroundContentRect = nullptr;
    GetThemeMetricFn getThemeMetric = nullptr;
    DrawThemeBackgroundFn drawThemeBackground = nullptr;
    DrawThemeBackgroundExFn drawThemeBackgroundEx = nullptr;
    DrawThemeParentBackgroundFn drawThemeParentBackground = nullptr;
    DrawThemeEdgeFn drawThemeEdge = nullptr;
    CloseThemeDataFn closeThemeData = nullptr;
};

template <typename Function>
bool bind(HMODULE module, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr;
}

Library loadOnce() {
    Library library;
    const HMODULE module = LoadLibraryA("uxtheme.dll");
    if (module == nullptr) return library;
    const bool complete =
        bind(module, "IsThemeActive", library.isThemeActive) &&
        bind(module, "IsAppThemed", library.isAppThemed) &&
        bind(module, "OpenThemeData", library.openThemeData) &&
        bind(module, "GetThemeBackgroundContentRect", library.getThemeBackgroundContentRect) &&
        bind(module, "GetThemeMetric", library.getThemeMetric) &&
        bind(module, "DrawThemeBackground", library.drawThemeBackground) &&
        bind(module, "DrawThemeBackgroundEx", library.drawThemeBackgroundEx) &&
        bind(module, "DrawThemeParentBackground", library.drawThemeParentBackground) &&
        bind(module, "DrawThemeEdge", library.drawThemeEdge) &&
        bind(module, "CloseThemeData", library.closeThemeData);
    // A library without all its entry points counts as no library.
    if (!complete) return Library{};
    library.module = module;
    return library;
}

const Library& library() {
    static const Library loaded = loadOnce();
    return loaded;
}

}  // namespace

bool loadThemeLibrary() {
    return library().module != nullptr;
}

bool themingInUse() {
    return loadThemeLibrary() && library().isAppThemed() != FALSE;
}

Handle openThemeData(HWND window, const wchar_t* classList) {
    return loadThemeLibrary() ? library().openThemeData(window, classList) : nullptr;
}

void closeThemeData(Handle theme) {
    if (theme != nullptr && loadThemeLibrary()) library().closeThemeData(theme);
}

int getThemeMetric(Handle theme, int part, int state, int property, int fallback) {
    int value = fallback;
    if (theme == nullptr || FAILED(library().getThemeMetric(theme, nullptr, part, state, property, &value))) {
        return fallback;
    }
    return value;
}

RECT getThemeBackgroundContentRect(Handle theme, HDC dc, int part, int state, const RECT& bounds) {
    RECT content = bounds;
    if (theme == nullptr ||
        FAILED(library().getThemeBackgroundContentRect(theme, dc, part, state, &bounds, &content))) {
        return bounds;
    }
    return content;
}

void drawThemeBackground(Handle theme, HDC dc, int part, int state, const RECT& rect) {
    if (theme != nullptr) library().drawThemeBackground(theme, dc, part, state, &rect, nullptr);
}

}  // namespace tarnwick::ui::theme
