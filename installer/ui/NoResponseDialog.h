#pragma once

#include "installer/ui/ModalDialog.h"

namespace tarnwick::ui {

// Tells the user the rendezvous server did not answer: Connect gives 1,
// Exit (and Escape, and the close box) 2; Proxies... opens the proxy
// settings and leaves this dialog open.
class NoResponseDialog : public CModalDialog {
public:
    NoResponseDialog();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notification) override;
};

// Returns when the user chose Connect. Exit, or any other end of the dialog,
// ends the process at once with exit code 0, without any orderly shutdown.
void runNoResponseDialog();

}  // namespace tarnwick::ui
