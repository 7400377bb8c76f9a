#pragma once

#include "installer/ui/LargeIcon.h"
#include "installer/ui/ModalDialog.h"

namespace tarnwick::ui {

// Offers to launch or remove an installed client: Launch gives 1, Remove 3,
// Cancel, Escape and the close box 2.
class AlreadyInstalledDialog : public CModalDialog {
public:
    static constexpr INT_PTR kLaunch = 1;
    static constexpr INT_PTR kRemove = 3;
    static constexpr INT_PTR kCancel = 2;

    AlreadyInstalledDialog();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notification) override;

private:
    CLargeIcon image_;
};

}  // namespace tarnwick::ui
