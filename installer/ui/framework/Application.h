#pragma once

#include <windows.h>

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

    // Runs until WM_QUIT and gives its exit code.
    int Run();

protected:
    virtual void onThreadMessage(const MSG& message) { (void)message; }
};

}  // namespace tarnwick::ui
