#pragma once

#include <windows.h>

namespace tarnwick::ui {

// A window object bound to its HWND. Windows of our own classes bind on
// WM_NCCREATE; existing windows (dialog controls, system-class children, the
// dialogs themselves) are bound by subclassing. Every message then reaches
// WindowProc, whose default hands it to the procedure that was there before.
// Nothing thrown by a handler leaves the window procedure.
class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND handle() const { return hwnd_; }
    // The object bound to a window, or null for windows that are not ours.
    static CWnd* fromHandle(HWND window);

    // Binds an existing window and routes its messages through WindowProc.
    // False, with nothing changed, when the window is gone or bound already.
    [[nodiscard]] bool subclassWindow(HWND window);
    [[nodiscard]] bool subclassDialogItem(int id, const CWnd& parent);

    BOOL destroyWindow();

    // Offered every message sent to this window or its children before the
    // message loop dispatches it; true consumes the message.
    virtual BOOL PreTranslateMessage(MSG* message);

    // The procedure of every window class registered by registerWindowClass.
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Creates a window of a class registered with windowProcedure (see
    // registerWindowClass) and binds it before its first message.
    [[nodiscard]] bool createBound(DWORD exStyle, const char* className, const char* title, DWORD style,
                                   const RECT& rect, HWND parent, HMENU menuOrId);

    virtual void PreSubclassWindow() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The handling the window would get without us.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message, when the object is unbound.
    virtual void PostNcDestroy() {}

private:
    void bind(HWND window);
    static LRESULT dispatch(CWnd* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    WNDPROC superProc_ = nullptr;  // the procedure we replaced, or null for our own classes
};

// A window class that routes to CWnd, registered once per combination, as
// "TarnwickWnd:<style>:<cursor>:<brush>:<icon>". Gives the class name.
const char* registerWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);

}  // namespace tarnwick::ui
