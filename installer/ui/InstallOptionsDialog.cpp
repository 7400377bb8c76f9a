#include "installer/ui/InstallOptionsDialog.h"

#include "installer/ui/CancelInstallDialog.h"
#include "installer/ui/ResourceIds.h"

namespace tarnwick::ui {

InstallOptionsDialog::InstallOptionsDialog(InstallOptions& options)
    : CModalDialog(IDD_INSTALL_OPTIONS), options_(options), image_(kProductImages, 0, kProductImageSize) {}

BOOL InstallOptionsDialog::OnInitDialog() {
    setHeadlineFont(IDC_HEADLINE);
    [[maybe_unused]] const bool imageShown = image_.subclassDialogItem(IDC_PRODUCT_IMAGE, *this);
    CheckDlgButton(handle(), IDC_DESKTOP_SHORTCUT, options_.desktopShortcut ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(handle(), IDC_QUICK_LAUNCH_SHORTCUT,
                   options_.quickLaunchShortcut ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(handle(), IDC_START_WITH_WINDOWS, options_.startWithWindows ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void InstallOptionsDialog::OnOK() {
    options_.desktopShortcut = IsDlgButtonChecked(handle(), IDC_DESKTOP_SHORTCUT) == BST_CHECKED;
    options_.quickLaunchShortcut = IsDlgButtonChecked(handle(), IDC_QUICK_LAUNCH_SHORTCUT) == BST_CHECKED;
    options_.startWithWindows = IsDlgButtonChecked(handle(), IDC_START_WITH_WINDOWS) == BST_CHECKED;
    EndDialog(IDOK);
}

void InstallOptionsDialog::OnCancel() {
    CancelInstallDialog confirmation;
    if (confirmation.DoModal() == IDOK) EndDialog(IDCANCEL);
}

}  // namespace tarnwick::ui
