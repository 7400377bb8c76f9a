#include "installer/ui/framework/Application.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarnwick::ui {
namespace {

// Records the thread messages it is given and stops at the second one.
class RecordingApp : public CWinApp {
public:
    std::vector<UINT> received;

protected:
    void onThreadMessage(const MSG& message) override {
        received.push_back(message.message);
        if (received.size() == 2) PostQuitMessage(7);
    }
};

TEST(Application, ThreadMessagesReachTheAppAndQuitEndsTheLoop) {
    RecordingApp app;
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 2, 0, 0);
    EXPECT_EQ(app.Run(), 7);
    EXPECT_EQ(app.received, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
}

// Quits from inside a loop of its own that, like the system's loop for
// moving a window, ends on WM_QUIT without posting it again.
class NestedLoopApp : public CWinApp {
protected:
    void onThreadMessage(const MSG&) override {
        quit(3);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    }
};

TEST(Application, QuitEndsTheLoopEvenWhenANestedLoopTookTheQuitMessage) {
    NestedLoopApp app;
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_EQ(app.Run(), 3);
}

}  // namespace
}  // namespace tarnwick::ui
