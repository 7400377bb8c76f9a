#pragma once

#include <windows.h>

#include <cstdint>

#include "installer/ui/WindowLayer.h"
#include "installer/ui/framework/FrameWnd.h"

namespace tarnwick::ui {

// The base of the installer's own top-level windows: made from a client
// rectangle, modal towards the other windows through its layer, with a
// border that shows but does not resize, Tab navigation among the focused
// control's siblings, mouse-wheel messages sent to the window under the
// pointer, and an edge that follows the visual theme.
class CFrameWndEx : public CFrameWnd {
public:
    explicit CFrameWndEx(CCmdTarget* nextHandler);
    ~CFrameWndEx() override;

    // Creates the window with the given client rectangle; the caller checks
    // handle() to learn whether it exists. The layer turns modal either way.
    void createFrame(UINT iconId, const RECT& clientRect, const char* title, bool withSystemMenu);

    // Clear for frames whose owner deletes them; the destructor then
    // destroys the window.
    void setDeleteOnDestroy(bool on) { deleteOnDestroy_ = on; }

    const WindowLayer& layer() const { return layer_; }

    BOOL PreTranslateMessage(MSG* message) override;
    bool OnCmdMsg(UINT id, int code, void* extra) override;

protected:
    // Resizes the window so that its client area has this size, whatever
    // the frame around it measures.
    void setClientSize(int width, int height);

    BOOL PreCreateWindow(CREATESTRUCTA& create) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    virtual void OnNcDestroy();

private:
    // Answers the Close command by closing the frame.
    class CloseCommand : public CCmdTarget {
    public:
        CloseCommand(CFrameWndEx& frame, CCmdTarget* next) : CCmdTarget(next), frame_(frame) {}

    protected:
        bool handle(UINT id, int code, void* extra) override;

    private:
        CFrameWndEx& frame_;
    };

    void followTheme();

    CloseCommand commandHandler_;
    WindowLayer layer_;
    std::uint8_t resizeMode_ = 3;
    bool deleteOnDestroy_ = true;
};

// The command that closes a frame.
constexpr UINT ID_FILE_CLOSE = 57602;

}  // namespace tarnwick::ui
