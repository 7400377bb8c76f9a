#include "installer/ui/AlreadyInstalledDialog.h"

#include "installer/ui/ResourceIds.h"

namespace tarnwick::ui {

AlreadyInstalledDialog::AlreadyInstalledDialog()
    : CModalDialog(IDD_ALREADY_INSTALLED), image_(kProductImages, 0, kProductImageSize) {}

BOOL AlreadyInstalledDialog::OnInitDialog() {
    setHeadlineFont(IDC_HEADLINE);
    [[maybe_unused]] const bool imageShown = image_.subclassDialogItem(IDC_PRODUCT_IMAGE, *this);
    return TRUE;
}

bool AlreadyInstalledDialog::OnCommand(int id, int notification) {
    if (id == IDC_RETRY_OR_REMOVE && notification == BN_CLICKED) {
        EndDialog(kRemove);
        return true;
    }
    return CModalDialog::OnCommand(id, notification);
}

}  // namespace tarnwick::ui
