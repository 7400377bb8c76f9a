#pragma once

#include "installer/ui/ModalDialog.h"

namespace tarnwick::ui {

// "Are you sure you want to quit the installer?": Yes gives 1; No, the
// default button, gives 2, as do Escape and the close box.
class CancelInstallDialog : public CModalDialog {
public:
    CancelInstallDialog();

protected:
    BOOL OnInitDialog() override;
};

}  // namespace tarnwick::ui
