#include "installer/ui/framework/Static.h"

namespace tarnwick::ui {

bool CStatic::Create(const char* text, DWORD style, const RECT& rect, const CWnd& parent, UINT id) {
    const HWND window = CreateWindowExA(0, "STATIC", text, style, rect.left, rect.top, rect.right - rect.left,
                                        rect.bottom - rect.top, parent.handle(),
                                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                        GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return false;
    if (subclassWindow(window)) return true;
    DestroyWindow(window);
    return false;
}

}  // namespace tarnwick::ui
