#include <gtest/gtest.h>

#include "GuiTesting.h"
#include "installer/ui/FocusNavigation.h"
#include "installer/ui/FrameWndEx.h"
#include "installer/ui/ThemeLibrary.h"

namespace tarnwick::ui {
namespace {

using namespace tarnwick::driver;
using namespace tarnwick::ui::test;

// A shown frame with edit fields: first, a disabled one, a hidden one, a
// label, last. Only first and last are tab stops that can take the focus.
class FrameWithFields : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = new CFrameWndEx(nullptr);
        frame_->createFrame(0, RECT{100, 100, 400, 250}, "Tab test", true);
        ASSERT_NE(frame_->handle(), nullptr);
        frameHandle_ = frame_->handle();
        first_ = edit(10, WS_VISIBLE, "first");
        disabled_ = edit(40, WS_VISIBLE | WS_DISABLED, "disabled");
        hidden_ = edit(70, 0, "hidden");
        CreateWindowExA(0, "STATIC", "label", WS_CHILD | WS_VISIBLE, 200, 10, 50, 20, frame_->handle(),
                        nullptr, nullptr, nullptr);
        last_ = edit(100, WS_VISIBLE, "last");
        ShowWindow(frame_->handle(), SW_SHOW);
        pumpPending();
    }
    void TearDown() override {
        if (IsWindow(frameHandle_)) DestroyWindow(frameHandle_);  // the frame deletes itself
        setKeys(false, false);
    }

    HWND edit(int top, DWORD style, const char* text) {
        return CreateWindowExA(0, "EDIT", text, WS_CHILD | WS_TABSTOP | WS_BORDER | style, 10, top, 150, 22,
                               frame_->handle(), nullptr, nullptr, nullptr);
    }
    static void setKeys(bool shift, bool control) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void tabFrom(HWND control) {
        PostMessageA(control, WM_CHAR, '\t', 1);
        pumpPending();
    }

    CFrameWndEx* frame_ = nullptr;
    HWND frameHandle_ = nullptr;
    HWND first_ = nullptr, disabled_ = nullptr, hidden_ = nullptr, last_ = nullptr;
};

TEST_F(FrameWithFields, TabSkipsWhatCannotTakeTheFocusAndWraps) {
    focusControl(first_);
    ASSERT_EQ(GetFocus(), first_);
    tabFrom(first_);
    EXPECT_EQ(GetFocus(), last_);
    DWORD start = 1, end = 0;
    SendMessageA(last_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u) << "the field's whole text is selected";
    tabFrom(last_);
    EXPECT_EQ(GetFocus(), first_) << "wraps at the end";

    setKeys(true, false);
    tabFrom(first_);
    EXPECT_EQ(GetFocus(), last_) << "Shift+Tab goes backwards, wrapping at the start";

    setKeys(false, true);
    tabFrom(last_);
    EXPECT_EQ(GetFocus(), last_) << "Ctrl+Tab is left alone";
}

TEST_F(FrameWithFields, WithoutAnotherTabStopNothingChanges) {
    EnableWindow(last_, FALSE);
    focusControl(first_);
    tabFrom(first_);
    EXPECT_EQ(GetFocus(), first_);
}

TEST_F(FrameWithFields, CloseCommandIsEnabledAndClosesTheFrame) {
    CCmdUI update;
    EXPECT_TRUE(frame_->OnCmdMsg(ID_FILE_CLOSE, CN_UPDATE_COMMAND_UI, &update));
    EXPECT_TRUE(update.enabled);
    int handlerInfo = 0;
    EXPECT_FALSE(frame_->OnCmdMsg(ID_FILE_CLOSE, CN_COMMAND, &handlerInfo))
        << "no handler information is given";
    EXPECT_FALSE(frame_->OnCmdMsg(ID_FILE_CLOSE + 1, CN_COMMAND, nullptr));
    const HWND window = frame_->handle();
    EXPECT_TRUE(frame_->OnCmdMsg(ID_FILE_CLOSE, CN_COMMAND, nullptr));
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }, 2000));
}

// Counts the wheel messages a control receives.
class WheelCounter : public CWnd {
public:
    int count = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEWHEEL) ++count;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(FrameWithFields, WheelGoesToTheWindowUnderThePointer) {
    WheelCounter focused;
    WheelCounter under;
    ASSERT_TRUE(focused.subclassWindow(first_));
    ASSERT_TRUE(under.subclassWindow(last_));
    SetWindowPos(frameHandle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RECT target{};
    GetWindowRect(last_, &target);
    const LPARAM point = MAKELPARAM((target.left + target.right) / 2, (target.top + target.bottom) / 2);
    PostMessageA(first_, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), point);
    pumpPending();
    EXPECT_EQ(under.count, 1);
    EXPECT_EQ(focused.count, 0) << "the focused control does not get it";
    DestroyWindow(frameHandle_);
}

TEST_F(FrameWithFields, ThemeChangesSwitchTheClientEdge) {
    const HWND window = frame_->handle();
    if (theme::themingInUse()) {
        SetWindowLongA(window, GWL_EXSTYLE, WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
        SendMessageA(window, WM_THEMECHANGED, 0, 0);
        EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0)
            << "the themed frame has no sunken edge";
    } else {
        SetWindowLongA(window, GWL_EXSTYLE, 0);
        SendMessageA(window, WM_THEMECHANGED, 0, 0);
        EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & 0xFFFF, WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
        SendMessageA(window, WM_THEMECHANGED, 0, 0);
        EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & 0xFFFF, WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE)
            << "a classic edge stays";
    }
}

}  // namespace
}  // namespace tarnwick::ui
