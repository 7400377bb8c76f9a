#include "installer/ui/framework/Application.h"

#include <cstdio>

#include "installer/ui/framework/MessageLoop.h"

namespace tarnwick::ui {

int CWinApp::Run() {
    MSG message;
    while (!exitCode_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got < 0) return -1;
        if (message.hwnd == nullptr) {
            try {
                onThreadMessage(message);
            } catch (...) {
                std::fputs("thread message handler failed\n", stderr);
            }
            continue;
        }
        if (preTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return *exitCode_;
}

void CWinApp::quit(int exitCode) {
    exitCode_ = exitCode;
    PostQuitMessage(exitCode);
}

}  // namespace tarnwick::ui
