#include "installer/ui/framework/MessageLoop.h"

#include <cstdio>

#include "installer/ui/framework/Window.h"

namespace tarnwick::ui {

bool preTranslateMessage(MSG& message) {
    try {
        for (HWND window = message.hwnd; window != nullptr; window = GetParent(window)) {
            CWnd* object = CWnd::fromHandle(window);
            if (object != nullptr && object->PreTranslateMessage(&message)) return true;
            if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0) break;
        }
    } catch (...) {
        std::fputs("message pre-translation failed\n", stderr);
    }
    return false;
}

}  // namespace tarnwick::ui
