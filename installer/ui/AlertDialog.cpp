#include "installer/ui/AlertDialog.h"

#include "installer/ui/ResourceIds.h"

namespace tarnwick::ui {

AlertDialog::AlertDialog(const char* title, const char* text)
    : CModalDialog(IDD_ALERT), title_(title ? title : ""), text_(text ? text : "") {}

BOOL AlertDialog::OnInitDialog() {
    SetWindowTextA(handle(), title_.c_str());
    setHeadlineFont(IDC_HEADLINE);
    SetDlgItemTextA(handle(), IDC_HEADLINE, title_.c_str());
    SetDlgItemTextA(handle(), IDC_TEXT, text_.c_str());
    flashUntilForeground();
    return TRUE;
}

void showAlert(const char* title, const char* text) {
    AlertDialog dialog(title, text);
    [[maybe_unused]] const INT_PTR result = dialog.DoModal();
}

}  // namespace tarnwick::ui
