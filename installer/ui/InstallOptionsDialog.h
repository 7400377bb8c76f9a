#pragma once

#include "installer/ui/LargeIcon.h"
#include "installer/ui/ModalDialog.h"

namespace tarnwick::ui {

struct InstallOptions {
    bool desktopShortcut = false;
    bool quickLaunchShortcut = false;
    bool startWithWindows = false;
};

// Asks the three install options. Install (1) writes the check boxes back
// into the options; Cancel, Escape and the close box ask for confirmation
// first and give 2 only when the user confirms.
class InstallOptionsDialog : public CModalDialog {
public:
    explicit InstallOptionsDialog(InstallOptions& options);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    InstallOptions& options_;
    CLargeIcon image_;
};

}  // namespace tarnwick::ui
