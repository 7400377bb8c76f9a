#pragma once

#include <cstdint>

#include "installer/ui/WindowLayer.h"
#include "installer/ui/framework/Dialog.h"

namespace tarnwick::ui {

// The base of every installer dialog: shown from its resource with the font
// replaced by "MS Shell Dlg 2" at 8 points, without an owner and without
// disabling anything. Its window layer makes it modal towards the
// installer's other windows instead.
class CModalDialog : public CDialog {
public:
    explicit CModalDialog(UINT templateId);

    // 1 OK, 2 Cancel, a button's own result, or -1 when the resource cannot
    // be loaded (nothing is shown then).
    INT_PTR DoModal() override;

    // The taskbar button flashes until the dialog comes to the foreground.
    void flashUntilForeground();

    const WindowLayer& layer() const { return layer_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Gives the static text the bold headline font at the dialog's
    // resolution, and a new one whenever the dialog moves to a monitor of
    // another resolution.
    void setHeadlineFont(int id);

private:
    void applyHeadlineFont(UINT dpi);

    WindowLayer layer_;
    std::uint8_t resizeMode_ = 0;
    int headlineId_ = 0;  // 0: no headline
};

// What the sizing border answers to WM_NCHITTEST: mode 0 turns every sizing
// area into a plain border, so the window shows its edge but keeps its size.
LRESULT hitTestForResizeMode(LRESULT answer, std::uint8_t resizeMode);

}  // namespace tarnwick::ui
