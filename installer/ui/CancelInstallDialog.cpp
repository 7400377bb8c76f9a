#include "installer/ui/CancelInstallDialog.h"

#include "installer/ui/ResourceIds.h"

namespace tarnwick::ui {

CancelInstallDialog::CancelInstallDialog() : CModalDialog(IDD_CANCEL_INSTALL) {}

BOOL CancelInstallDialog::OnInitDialog() {
    setHeadlineFont(IDC_HEADLINE);
    // The dialog manager would focus Yes, the first tab stop, and a focused
    // push button takes over as the default: Enter would quit. No keeps
    // the focus so that Enter answers No.
    SetFocus(GetDlgItem(IDCANCEL));
    return FALSE;
}

}  // namespace tarnwick::ui
