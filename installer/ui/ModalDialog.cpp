#include "installer/ui/ModalDialog.h"

#include <commctrl.h>

#include "installer/ui/Dpi.h"
#include "installer/ui/Fonts.h"
#include "installer/ui/framework/DialogTemplate.h"

namespace tarnwick::ui {

namespace {

// The manifest asks for version 6 of the common controls, which draws the
// dialogs' buttons, boxes and fields in the visual theme; its window classes
// take over only once the library is loaded and initialised.
void initialiseCommonControls() {
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)initialised;
}

}  // namespace

LRESULT hitTestForResizeMode(LRESULT answer, std::uint8_t resizeMode) {
    if (resizeMode != 0) return answer;
    switch (answer) {
        case HTSIZE:
        case HTLEFT:
        case HTRIGHT:
        case HTTOP:
        case HTTOPLEFT:
        case HTTOPRIGHT:
        case HTBOTTOM:
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
            return HTBORDER;
        default:
            return answer;
    }
}

CModalDialog::CModalDialog(UINT templateId) : CDialog(templateId) {
    layer_.setLevel(this, WindowLayer::kModal);
}

INT_PTR CModalDialog::DoModal() {
    initialiseCommonControls();
    const HMODULE module = GetModuleHandleA(nullptr);
    CDialogTemplate dialogTemplate;
    if (!dialogTemplate.Load(module, MAKEINTRESOURCEA(templateId()))) return -1;
    // A template the font cannot be put into is shown with its own font.
    [[maybe_unused]] const bool fontReplaced = dialogTemplate.SetFont(L"MS Shell Dlg 2", 8);

    // No owner, and no window is disabled or re-enabled around the loop:
    // the window layers keep the dialog above the installer's other windows.
    return runModalIndirect(dialogTemplate.data(), module);
}

void CModalDialog::flashUntilForeground() {
    if (handle() == nullptr) return;
    FLASHWINFO flash{sizeof flash, handle(), FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

void CModalDialog::setHeadlineFont(int id) {
    headlineId_ = id;
    applyHeadlineFont(windowDpi(handle()));
}

void CModalDialog::applyHeadlineFont(UINT dpi) {
    if (CFont* font = boldDialogFont(dpi)) {
        SendDlgItemMessageA(handle(), headlineId_, WM_SETFONT, reinterpret_cast<WPARAM>(font->handle()),
                            TRUE);
    }
}

LRESULT CModalDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A dialog is always at the modal level, so a click it refuses never
    // raises it: raising modal windows is the list's work.
    static constexpr LayerRules kDialogRules{
        // The modal loop shows a dialog only once it is idle; until then it
        // is set up hidden and is not among the windows the list activates
        // or raises, so handing its activation or place on would give them
        // to an older dialog. It takes both as it shows.
        .onlyWhileVisible = true,
        // The system centres and sizes a dialog as it is made; those changes
        // pass, only a change of its place in the Z order becomes a raise.
        .onlyZOrderChanges = true,
        // A dialog's frame is the system's standard one, drawn anew by the
        // activation change itself.
        .redrawAfterPassingActivation = false,
    };
    if (const auto answer = handleLayerMessage(handle(), layer_, kDialogRules, message, wParam, lParam))
        return *answer;
    if (message == WM_NCHITTEST) return hitTestForResizeMode(Default(message, wParam, lParam), resizeMode_);
    if (message == WM_DPICHANGED) {
        // Where the system scales dialogs itself, the default handling
        // resizes the dialog and remakes the font of its template; the
        // headline's font is ours to replace.
        const LRESULT answer = CDialog::WindowProc(message, wParam, lParam);
        if (headlineId_ != 0) applyHeadlineFont(HIWORD(wParam));
        return answer;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

}  // namespace tarnwick::ui
