#include "installer/ui/WindowLayer.h"

#include <gtest/gtest.h>

#include "GuiTesting.h"
#include "installer/ui/AlertDialog.h"
#include "installer/ui/ProgressWindow.h"

namespace tarnwick::ui {
namespace {

using namespace tarnwick::driver;
using namespace tarnwick::ui::test;

// True when first is above second in the Z order of top-level windows.
bool isAbove(HWND first, HWND second) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == first) return true;
        if (window == second) return false;
    }
    return false;
}

TEST(WindowLayer, EveryDialogObjectCountsAsModalWhileItLives) {
    const unsigned before = modalCount();
    {
        AlertDialog first("a", "b");
        EXPECT_EQ(modalCount(), before + 1);
        AlertDialog second("c", "d");
        EXPECT_EQ(modalCount(), before + 2);
        EXPECT_EQ(first.layer().level(), WindowLayer::kModal);
    }
    EXPECT_EQ(modalCount(), before);

    auto* frame = new CFrameWndEx(nullptr);
    EXPECT_EQ(frame->layer().level(), WindowLayer::kNotLayered) << "a frame turns modal when it is created";
    EXPECT_EQ(modalCount(), before);
    frame->createFrame(0, RECT{0, 0, 100, 50}, "layer test", false);
    EXPECT_EQ(frame->layer().level(), WindowLayer::kModal);
    EXPECT_EQ(modalCount(), before + 1);
    frame->destroyWindow();  // deletes the frame
    EXPECT_EQ(modalCount(), before);
}

// The progress window is open, then an alert is constructed after it: the
// alert is the topmost modal window and the progress window defers to it.
TEST(WindowLayer, AnOlderWindowDefersToTheTopmostModalDialog) {
    ProgressWindow progress;
    progress.setTitle("Downloading latest Tarnwick update...");
    progress.show();
    const HWND frame = progress.handle();
    runDriven(
        [] {
            showAlert("Layer test", "An alert above the progress window.");
            return INT_PTR{0};
        },
        [&] {
            const HWND alert = waitForWindow("Layer test");
            ASSERT_NE(alert, nullptr);
            EXPECT_EQ(topmostModalLayer() != nullptr ? topmostModalLayer()->window()->handle() : nullptr,
                      alert);

            const LRESULT click = SendMessageA(frame, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame),
                                               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
            EXPECT_EQ(click, MA_NOACTIVATEANDEAT) << "a click on the older window is eaten";
            EXPECT_EQ(activeOf(alert), alert) << "and the alert is activated instead";
            EXPECT_NE(SendMessageA(alert, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(alert),
                                   MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                      MA_NOACTIVATEANDEAT)
                << "a click on the topmost one is not";

            SendMessageA(frame, WM_ACTIVATE, WA_ACTIVE, 0);
            EXPECT_EQ(activeOf(alert), alert) << "activating the older window activates the alert";

            SetWindowPos(frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            settle(frame);
            EXPECT_TRUE(isAbove(alert, frame)) << "raising the older window keeps the newer one on top";

            EXPECT_EQ(SendMessageA(frame, kTaskbarSystemMenu, 0, 0), 0) << "no system menu for it";

            RECT rect{};
            GetWindowRect(frame, &rect);
            const LRESULT edge = SendMessageA(frame, WM_NCHITTEST, 0,
                                              MAKELPARAM(rect.right - 1, (rect.top + rect.bottom) / 2));
            EXPECT_EQ(edge, HTBORDER) << "the sizing border does not resize";
            const LRESULT corner =
                SendMessageA(frame, WM_NCHITTEST, 0, MAKELPARAM(rect.right - 1, rect.bottom - 1));
            EXPECT_EQ(corner, HTBORDER);

            PostMessageA(alert, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(waitForWindowGone(alert));
        });
}

}  // namespace
}  // namespace tarnwick::ui
