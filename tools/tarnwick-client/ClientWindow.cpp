#include "ClientWindow.h"

#include "ClientVersion.h"

namespace tarnwick::client {

namespace {

constexpr char kWindowClass[] = "TarnwickClientWindow";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int runClientWindow(HINSTANCE instance, const std::string& arguments, int show) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassA(&windowClass) == 0) return 1;

    HWND window = CreateWindowExA(0, kWindowClass, "Tarnwick", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 440, 160, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    const std::string text = std::string("Tarnwick client ") + TARNWICK_CLIENT_VERSION_TEXT +
                             "\r\nArguments: " + (arguments.empty() ? "(none)" : arguments);
    CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 16, 16, 400, 80, window, nullptr,
                    instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace tarnwick::client
