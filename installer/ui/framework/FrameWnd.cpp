#include "installer/ui/framework/FrameWnd.h"

namespace tarnwick::ui {

bool CCmdTarget::OnCmdMsg(UINT id, int code, void* extra) {
    return handle(id, code, extra) || (next_ != nullptr && next_->OnCmdMsg(id, code, extra));
}

bool CFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                       HMENU menu) {
    CREATESTRUCTA create{};
    create.lpszClass = className;
    create.lpszName = title;
    create.style = static_cast<LONG>(style);
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    create.hwndParent = parent;
    create.hMenu = menu;
    create.hInstance = GetModuleHandleA(nullptr);
    if (!PreCreateWindow(create)) return false;
    const RECT adjusted{create.x, create.y, create.x + create.cx, create.y + create.cy};
    return createBound(create.dwExStyle, create.lpszClass, create.lpszName, static_cast<DWORD>(create.style),
                       adjusted, create.hwndParent, create.hMenu);
}

bool CFrameWnd::OnCmdMsg(UINT, int, void*) {
    return false;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && lParam == 0 && OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr)) return 0;
    return CWnd::WindowProc(message, wParam, lParam);
}

}  // namespace tarnwick::ui
