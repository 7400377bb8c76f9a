#include "installer/ui/framework/Dialog.h"

#include <cstdio>

#include "installer/ui/framework/DialogTemplate.h"
#include "installer/ui/framework/MessageLoop.h"

namespace tarnwick::ui {

INT_PTR CDialog::DoModal() {
    const HMODULE module = GetModuleHandleA(nullptr);
    CDialogTemplate dialogTemplate;
    if (!dialogTemplate.Load(module, MAKEINTRESOURCEA(templateId_))) return -1;
    return runModalIndirect(dialogTemplate.data(), module);
}

INT_PTR CDialog::runModalIndirect(const DLGTEMPLATE* dialogTemplate, HINSTANCE module) {
    ended_ = false;
    result_ = -1;
    if (CreateDlgIndirect(dialogTemplate, nullptr, module) && ContinueModal()) RunModalLoop(kShowOnIdle);
    if (handle() != nullptr) {
        SetWindowPos(handle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        destroyWindow();
    }
    return result_;
}

void CDialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wakes the modal loop, which may be waiting for a message.
    if (handle() != nullptr) PostMessageA(handle(), WM_NULL, 0, 0);
}

bool CDialog::CreateDlgIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent, HINSTANCE module) {
    const HWND window = CreateDialogIndirectParamA(module, dialogTemplate, parent, &CDialog::dialogProcedure,
                                                   reinterpret_cast<LPARAM>(this));
    return window != nullptr && window == handle();
}

INT_PTR CDialog::RunModalLoop(DWORD flags) {
    bool showPending = (flags & kShowOnIdle) != 0 && !IsWindowVisible(handle());
    MSG message;
    while (ContinueModal() && handle() != nullptr) {
        if (showPending && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(handle(), SW_SHOWNORMAL);
            UpdateWindow(handle());
            showPending = false;
        }
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (preTranslateMessage(message)) continue;
        if (!IsDialogMessageA(handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return result_;
}

bool CDialog::OnCommand(int id, int) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
    return Default(message, wParam, lParam);
}

INT_PTR CALLBACK CDialog::dialogProcedure(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* self = reinterpret_cast<CDialog*>(lParam);
    if (!self->subclassWindow(window)) return TRUE;
    try {
        return self->OnInitDialog();
    } catch (...) {
        std::fputs("dialog initialisation failed\n", stderr);
        self->EndDialog(-1);
        return TRUE;
    }
}

}  // namespace tarnwick::ui
