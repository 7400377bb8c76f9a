#include "installer/ui/ProgressWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "GuiTesting.h"
#include "installer/ui/Dpi.h"
#include "installer/ui/Fonts.h"

namespace tarnwick::ui {
namespace {

using namespace tarnwick::driver;
using namespace tarnwick::ui::test;

std::string statusOf(const ProgressWindow& window) {
    char buffer[256];
    window.statusText(buffer);
    return buffer;
}

// Everything the worker does goes through ProgressSink, as an update run's
// does; the window's thread only pumps messages.
void fromWorker(ProgressWindow& window, const std::function<void(ProgressSink&)>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work(window);
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    worker.join();
    pumpPending();
}

RECT childRect(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The measures are those of a 96-dpi display, grown with the window's.
TEST(ProgressWindow, IsHiddenUntilShownWithItsGeometryAndFont) {
    ProgressWindow window;
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    const UINT dpi = windowDpi(window.handle());
    const auto scaled = [dpi](int pixels) { return MulDiv(pixels, static_cast<int>(dpi), 96); };
    RECT client{};
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, scaled(350));
    EXPECT_EQ(client.bottom, scaled(70));
    const LONG style = GetWindowLongA(window.handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(window.statusLine(), WM_GETFONT, 0, 0)),
              boldDialogFont(dpi)->handle());
    EXPECT_TRUE(window.progressBar().busy()) << "the bar starts busy";
    const RECT bar = childRect(window.handle(), window.progressBar().handle());
    EXPECT_EQ(bar.left, scaled(20));
    EXPECT_EQ(bar.top, scaled(36));
    EXPECT_EQ(bar.right, scaled(330));
    EXPECT_EQ(bar.bottom, scaled(52));
    const RECT status = childRect(window.handle(), window.statusLine());
    EXPECT_EQ(status.top, scaled(12));
    EXPECT_EQ(status.bottom, scaled(28));

    window.setTitle("Downloading latest Tarnwick update...");
    char title[256];
    window.title(title);
    EXPECT_STREQ(title, "Downloading latest Tarnwick update...");
}

// The font follows the system's resolution; the line must hold every status
// text of a run, whole, in it.
TEST(ProgressWindow, StatusLineHoldsEveryStatusText) {
    ProgressWindow window;
    const HWND line = window.statusLine();
    RECT size{};
    GetClientRect(line, &size);
    const CClientDC dc(line);
    const HGDIOBJ previous =
        SelectObject(dc.handle(), reinterpret_cast<HFONT>(SendMessageA(line, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.handle(), &metrics);
    EXPECT_LE(metrics.tmHeight, size.bottom) << "the line is tall enough for its font";
    for (const char* text :
         {"Connected...", "Downloading new update...", "Decompressing update...", "Installing update..."}) {
        SIZE extent{};
        GetTextExtentPoint32A(dc.handle(), text, static_cast<int>(std::strlen(text)), &extent);
        EXPECT_LE(extent.cx, size.right) << text;
    }
    SelectObject(dc.handle(), previous);
}

// Moved to a monitor of another resolution, the window takes the rectangle
// the system suggests and lays itself out for it. Wine sends no such
// message, so the test does, as the system would.
TEST(ProgressWindow, FollowsTheResolutionOfItsMonitor) {
    ProgressWindow window;
    window.setStatusText("Downloading new update...");
    const HWND handle = window.handle();
    const UINT dpi = windowDpi(handle);
    const int step = window.progressBar().layout().step();

    RECT suggested{40, 30, 840, 250};
    SendMessageA(handle, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(handle, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    const auto doubled = [dpi](int pixels) { return MulDiv(pixels, static_cast<int>(2 * dpi), 96); };
    EXPECT_EQ(childRect(handle, window.statusLine()).bottom, doubled(28));
    EXPECT_EQ(childRect(handle, window.progressBar().handle()).right, doubled(330));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(window.statusLine(), WM_GETFONT, 0, 0)),
              boldDialogFont(2 * dpi)->handle());
    EXPECT_NEAR(window.progressBar().layout().step(), 2 * step, 1) << "the chunks grew with it";
    EXPECT_TRUE(window.progressBar().busy());
    EXPECT_EQ(statusOf(window), "Downloading new update...");

    SendMessageA(handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(childRect(handle, window.progressBar().handle()).right, MulDiv(330, static_cast<int>(dpi), 96));
    EXPECT_EQ(window.progressBar().layout().step(), step) << "and back";
}

TEST(ProgressWindow, WorkerUpdatesArriveInOrderOnTheWindowsThread) {
    ProgressWindow window;
    window.setTitle("Downloading latest Tarnwick update...");
    std::vector<std::string> seen;
    fromWorker(window, [&](ProgressSink& sink) {
        static_cast<ProgressWindow&>(sink).show();
        for (const char* text : {"Connected...", "Downloading new update...", "Decompressing update...",
                                 "Installing update..."}) {
            sink.setStatusText(text);
        }
    });
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_EQ(statusOf(window), "Installing update...") << "the last of quick successive texts remains";

    fromWorker(window, [](ProgressSink& sink) { sink.setStatusText(""); });
    EXPECT_EQ(statusOf(window), "") << "an empty text clears the line";
    fromWorker(window, [](ProgressSink& sink) { sink.setStatusText(nullptr); });
    EXPECT_EQ(statusOf(window), "");
}

TEST(ProgressWindow, LongStatusTextsReadBackAs255Characters) {
    ProgressWindow window;
    const std::string longText(300, 'x');
    window.setStatusText(longText.c_str());
    EXPECT_EQ(statusOf(window), std::string(255, 'x'));
    fromWorker(window, [&](ProgressSink& sink) { sink.setStatusText(longText.c_str()); });
    EXPECT_EQ(statusOf(window), std::string(255, 'x'));
}

TEST(ProgressWindow, BarGoesFromBusyToDoneOfTotalAndBack) {
    ProgressWindow window;
    window.setTitle("Downloading latest Tarnwick update...");
    window.show();
    window.setStatusText("Downloading new update...");
    const ProgressBar& bar = window.progressBar();

    fromWorker(window, [](ProgressSink& sink) { sink.setProgress(0, 0); });
    EXPECT_TRUE(bar.busy());
    const std::uint32_t phase = bar.phase();
    EXPECT_TRUE(pumpUntil([&] { return bar.phase() >= phase + 4; }, 2000))
        << "the animation moves on its timer";
    screenshot(window.handle(), "progress-busy");

    fromWorker(window, [](ProgressSink& sink) { sink.setProgress(512, 2048); });
    EXPECT_FALSE(bar.busy());
    EXPECT_EQ(bar.position(), 512u);
    EXPECT_EQ(bar.range(), 2048u);
    screenshot(window.handle(), "progress-512-of-2048");

    window.setProgress(0, 0);
    EXPECT_TRUE(bar.busy());
    window.setProgress(512, 2048);
    EXPECT_TRUE(bar.busy()) << "the stored position again does not stop the animation";
    window.setProgress(513, 2048);
    EXPECT_FALSE(bar.busy());
}

}  // namespace
}  // namespace tarnwick::ui
