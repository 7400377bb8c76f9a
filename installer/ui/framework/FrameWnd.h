#pragma once

#include <windows.h>

#include "installer/ui/framework/Window.h"

namespace tarnwick::ui {

// Command routing: a command is offered to a chain of handlers, each of
// which may answer it, before the frame's own handling.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// Filled by handlers that answer an update request for a command.
struct CCmdUI {
    bool enabled = false;
    // The menu text the handler gives the command; null leaves it as it is.
    const char* text = nullptr;
};

class CCmdTarget {
public:
    explicit CCmdTarget(CCmdTarget* next) : next_(next) {}
    virtual ~CCmdTarget() = default;
    // True when this handler or one after it answered. extra is a CCmdUI
    // for CN_UPDATE_COMMAND_UI; for CN_COMMAND, non-null asks only for
    // handler information, which the chain does not give.
    virtual bool OnCmdMsg(UINT id, int code, void* extra);

protected:
    virtual bool handle(UINT, int, void*) { return false; }

private:
    CCmdTarget* next_;
};

// A top-level window of our own class that deletes its object once its
// window is gone.
class CFrameWnd : public CWnd {
public:
    [[nodiscard]] bool Create(const char* className, const char* title, DWORD style, const RECT& rect,
                              HWND parent = nullptr, HMENU menu = nullptr);

    virtual bool OnCmdMsg(UINT id, int code, void* extra);

protected:
    // May change how the window is created; false cancels the creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& create) {
        (void)create;
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override { delete this; }
};

}  // namespace tarnwick::ui
