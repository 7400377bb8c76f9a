#include "installer/ui/FrameWndEx.h"

#include <initializer_list>

#include "installer/ui/FocusNavigation.h"
#include "installer/ui/ModalDialog.h"
#include "installer/ui/ThemeLibrary.h"

namespace tarnwick::ui {

namespace {

constexpr UINT kRedrawFrame = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

}  // namespace

bool CFrameWndEx::CloseCommand::handle(UINT id, int code, void* extra) {
    if (id != ID_FILE_CLOSE) return false;
    if (code == CN_UPDATE_COMMAND_UI) {
        if (extra != nullptr) static_cast<CCmdUI*>(extra)->enabled = true;
        return true;
    }
    // A query for handler information is not answered here.
    if (code != CN_COMMAND || extra != nullptr) return false;
    PostMessageA(frame_.handle(), WM_CLOSE, 0, 0);
    return true;
}

CFrameWndEx::CFrameWndEx(CCmdTarget* nextHandler) : commandHandler_(*this, nextHandler) {}

CFrameWndEx::~CFrameWndEx() {
    if (!deleteOnDestroy_) destroyWindow();
}

void CFrameWndEx::createFrame(UINT iconId, const RECT& clientRect, const char* title, bool withSystemMenu) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HICON icon = iconId != 0 ? LoadIconA(module, MAKEINTRESOURCEA(iconId)) : nullptr;
    const char* className = registerWindowClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
    DWORD style = WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME;
    if (withSystemMenu) style |= WS_SYSMENU;
    RECT window = clientRect;
    AdjustWindowRectEx(&window, style, FALSE, 0);
    if (Create(className, title, style, window))
        setClientSize(clientRect.right - clientRect.left, clientRect.bottom - clientRect.top);
    layer_.setLevel(this, WindowLayer::kModal);
    resizeMode_ = 0;
}

void CFrameWndEx::setClientSize(int width, int height) {
    // The themed edge and the window manager may draw the frame thicker or
    // thinner than the adjustment assumed; the client area is what the
    // window's layout is made for, so the frame gives way.
    RECT client{};
    GetClientRect(handle(), &client);
    const int extraWidth = width - client.right;
    const int extraHeight = height - client.bottom;
    if (extraWidth == 0 && extraHeight == 0) return;
    RECT window{};
    GetWindowRect(handle(), &window);
    SetWindowPos(handle(), nullptr, 0, 0, window.right - window.left + extraWidth,
                 window.bottom - window.top + extraHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CFrameWndEx::PreCreateWindow(CREATESTRUCTA& create) {
    if (!CFrameWnd::PreCreateWindow(create)) return FALSE;
    if (theme::themingInUse()) create.dwExStyle = (create.dwExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_STATICEDGE;
    return TRUE;
}

BOOL CFrameWndEx::PreTranslateMessage(MSG* message) {
    if (message->message == WM_CHAR && message->wParam == '\t' && GetKeyState(VK_CONTROL) >= 0) {
        moveFocus(message->hwnd, GetKeyState(VK_SHIFT) >= 0);
        return TRUE;
    }
    if (message->message == WM_MOUSEWHEEL) {
        const POINT point{static_cast<short>(LOWORD(message->lParam)),
                          static_cast<short>(HIWORD(message->lParam))};
        const HWND under = WindowFromPoint(point);
        if (under != nullptr) {
            SendMessageA(under, message->message, message->wParam, message->lParam);
            return TRUE;
        }
    }
    return CFrameWnd::PreTranslateMessage(message);
}

bool CFrameWndEx::OnCmdMsg(UINT id, int code, void* extra) {
    if ((code == CN_COMMAND || code == CN_UPDATE_COMMAND_UI) && commandHandler_.OnCmdMsg(id, code, extra)) {
        return true;
    }
    return CFrameWnd::OnCmdMsg(id, code, extra);
}

void CFrameWndEx::followTheme() {
    const LONG exStyle = GetWindowLongA(handle(), GWL_EXSTYLE);
    const bool hasClientEdge = (exStyle & WS_EX_CLIENTEDGE) != 0;
    if (theme::themingInUse()) {
        if (!hasClientEdge) return;
        SetWindowLongA(handle(), GWL_EXSTYLE, exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE));
    } else {
        if (hasClientEdge) return;
        SetWindowLongA(handle(), GWL_EXSTYLE, WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
    }
    SetWindowPos(handle(), nullptr, 0, 0, 0, 0, kRedrawFrame);
}

LRESULT CFrameWndEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Unlike a dialog, a frame may be outside the modal level; clicked while
    // a dialog is up, such a frame still comes up among the other windows,
    // beneath the modal ones, as the click would have brought it.
    static constexpr LayerRules kFrameRules{
        // Frames apply the rules hidden or shown: a frame is set up before it
        // shows, and keeping the dialogs above it meanwhile does no harm.
        .onlyWhileVisible = false,
        // A frame may be moved or sized while a dialog is up (the progress
        // window under the cancel question); every such change raises the
        // dialogs again, so that none ends up beneath it.
        .onlyZOrderChanges = false,
        // The frame's edge is its own (it follows the theme); once the
        // activation has gone on to the dialog, the frame is recalculated
        // and drawn again so that caption and edge show the state it ended
        // in.
        .redrawAfterPassingActivation = true,
    };
    if (const auto answer = handleLayerMessage(handle(), layer_, kFrameRules, message, wParam, lParam))
        return *answer;
    switch (message) {
        case WM_NCHITTEST:
            return hitTestForResizeMode(Default(message, wParam, lParam), resizeMode_);
        case WM_THEMECHANGED:
            followTheme();
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy();
            return 0;
        default:
            break;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

void CFrameWndEx::OnNcDestroy() {
    for (WPARAM kind : {WPARAM{ICON_SMALL}, WPARAM{ICON_BIG}}) {
        const auto icon = reinterpret_cast<HICON>(SendMessageA(handle(), WM_GETICON, kind, 0));
        if (icon != nullptr) DestroyIcon(icon);
    }
    Default(WM_NCDESTROY, 0, 0);
}

void CFrameWndEx::PostNcDestroy() {
    if (deleteOnDestroy_) CFrameWnd::PostNcDestroy();
}

}  // namespace tarnwick::ui
