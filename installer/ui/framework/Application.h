#pragma once

#include <windows.h>

#include <optional>

namespace tarnwick::ui {

// The user-interface thread's message loop. Messages posted to the thread
// rather than to a window go to onThreadMessage; window messages are offered
// to their windows' PreTranslateMessage before being dispatched.
class CWinApp {
public:
    CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp() = default;

    // Runs until WM_QUIT or quit() and gives the exit code.
    int Run();

    // Ends Run with exitCode once the message being handled returns to it.
    // The WM_QUIT it posts as well unwinds modal loops of our own; a loop
    // that the system runs on this thread (moving or sizing a window) may
    // take that message and end without posting it again, and Run ends all
    // the same instead of waiting for a message that never comes.
    void quit(int exitCode);

protected:
    virtual void onThreadMessage(const MSG& message) { (void)message; }

private:
    std::optional<int> exitCode_;
};

}  // namespace tarnwick::ui
