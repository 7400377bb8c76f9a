#include "installer/ui/NoResponseDialog.h"

#include "installer/ui/ProxySettingsDialog.h"
#include "installer/ui/ResourceIds.h"

namespace tarnwick::ui {

NoResponseDialog::NoResponseDialog() : CModalDialog(IDD_NO_RESPONSE) {}

BOOL NoResponseDialog::OnInitDialog() {
    setHeadlineFont(IDC_TEXT);
    return TRUE;
}

bool NoResponseDialog::OnCommand(int id, int notification) {
    if (id == IDC_RETRY_OR_REMOVE && notification == BN_CLICKED) {
        runProxySettingsDialog();
        return true;
    }
    return CModalDialog::OnCommand(id, notification);
}

void runNoResponseDialog() {
    NoResponseDialog dialog;
    // Only Connect starts another run; a dialog that could not be shown or
    // ended without a choice would otherwise retry for ever unasked.
    if (dialog.DoModal() != IDOK) ExitProcess(0);
}

}  // namespace tarnwick::ui
