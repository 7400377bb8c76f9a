#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "installer/ui/framework/MessageLoop.h"
#include "tools/tarnwick-driver/WindowDriver.h"

// What the window tests add to the window driver: the test thread's own
// message loop, and modal windows shown on it while a second thread drives.
namespace tarnwick::ui::test {

// Handles everything queued for this thread so far, with
// PreTranslateMessage as the application's loop offers it.
inline void pumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (preTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Runs this thread's message loop until the condition holds; false on
// timeout.
inline bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        pumpPending();
        if (condition()) return true;
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The driver's settle for a window of this thread: Wine copies a window's
// drawing to the screen while its thread waits for messages, so the window
// is drawn and this thread's loop runs for a moment.
inline void paintOwnWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpUntil([] { return false; }, 150);
}

// Settles the window (of this thread or another) and saves what the screen
// shows of it as NAME.bmp in the run's screenshot folder, TARNWICK_SCREENSHOTS
// (relative to the working directory; "screenshots" when unset), which is
// made as needed; the test run turns it into a PNG.
inline void screenshot(HWND window, const char* name) {
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        paintOwnWindow(window);
    else
        driver::settle(window);
    const char* asked = std::getenv("TARNWICK_SCREENSHOTS");
    const std::string folder = asked != nullptr && *asked != '\0' ? asked : "screenshots";
    for (std::size_t end = 0; end != std::string::npos;) {
        end = folder.find_first_of("/\\", end + 1);
        CreateDirectoryA(folder.substr(0, end).c_str(), nullptr);
    }
    const std::string path = folder + "/" + name + ".bmp";
    EXPECT_TRUE(driver::saveScreenshot(window, path)) << "cannot save " << path;
}

// Runs show on this thread (it opens a modal window) while drive acts on it
// from a second thread. A driver that leaves windows open gets a test
// failure, and the modal loops are ended so that the run goes on.
inline INT_PTR runDriven(const std::function<INT_PTR()>& show, const std::function<void()>& drive) {
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> finished{false};
    std::thread driving([&] {
        drive();
        if (!driver::waitUntil([&] { return finished.load(); }, 3000)) {
            ADD_FAILURE() << "the driver left a modal window open";
            PostThreadMessageA(uiThread, WM_QUIT, 0, 0);
        }
    });
    const INT_PTR result = show();
    finished = true;
    driving.join();
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

}  // namespace tarnwick::ui::test
