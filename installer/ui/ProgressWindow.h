#pragma once

#include <windows.h>

#include <cstdint>

#include "installer/core/ProgressSink.h"
#include "installer/ui/FrameWndEx.h"
#include "installer/ui/ProgressBar.h"
#include "installer/ui/framework/Static.h"

namespace tarnwick::ui {

// The one small window an update run shows: a caption, a status line and a
// bar. It belongs to the thread that constructs it; called from any other
// thread, the operations that change what it shows post a message to the
// window and take effect on its own thread, in the order they were posted.
// Its owner deletes it, which destroys the window and its two children.
// Every measure grows with the window's resolution, and follows it when the
// window moves to a monitor of another one.
class ProgressWindow : public CFrameWndEx, public ProgressSink {
public:
    static constexpr UINT kShowMessage = 32778;
    static constexpr UINT kStatusTextMessage = 32779;
    static constexpr UINT kProgressMessage = 32780;

    ProgressWindow();
    ~ProgressWindow() override;

    void show();
    // Copy at most 255 characters and a terminator into buffer.
    void title(char* buffer) const;
    void setTitle(const char* text);
    void statusText(char* buffer) const;
    void setStatusText(const char* text) override;
    void setProgress(std::uint32_t done, std::uint32_t total) override;
    void refresh();

    const ProgressBar& progressBar() const { return bar_; }
    HWND statusLine() const { return status_.handle(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool onOwnerThread() const { return GetCurrentThreadId() == ownerThread_; }
    // Places the status line and the bar, and gives them their font and
    // measures, for a window shown at dpi.
    void layOut(UINT dpi);

    ProgressBar bar_;
    CStatic status_;
    DWORD ownerThread_;
};

}  // namespace tarnwick::ui
