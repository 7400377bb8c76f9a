#include "installer/ui/ProgressWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "GuiTesting.h"
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

TEST(ProgressWindow, IsHiddenUntilShownWithItsGeometryAndFont) {
    ProgressWindow window;
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    RECT client{};
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, 350);
    EXPECT_EQ(client.bottom, 70);
    const LONG style = GetWindowLongA(window.handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(window.statusLine(), WM_GETFONT, 0, 0)),
              boldDialogFont()->handle());
    EXPECT_TRUE(window.progressBar().busy()) << "the bar starts busy";
    RECT bar{};
    GetWindowRect(window.progressBar().handle(), &bar);
    MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.left, 20);
    EXPECT_EQ(bar.top, 36);
    EXPECT_EQ(bar.right, 330);
    EXPECT_EQ(bar.bottom, 52);

    window.setTitle("Downloading latest Tarnwick update...");
    char title[256];
    window.title(title);
    EXPECT_STREQ(title, "Downloading latest Tarnwick update...");
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
