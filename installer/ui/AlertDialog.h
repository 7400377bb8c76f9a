#pragma once

#include <string>

#include "installer/ui/ModalDialog.h"

namespace tarnwick::ui {

// How every layer reports a problem: the title as caption and bold
// headline, the text below it, and one OK button. The taskbar button
// flashes until the alert comes to the foreground.
class AlertDialog : public CModalDialog {
public:
    AlertDialog(const char* title, const char* text);

protected:
    BOOL OnInitDialog() override;

private:
    std::string title_;
    std::string text_;
};

// Shows the alert and returns when it is closed; an alert that cannot be
// shown returns at once.
void showAlert(const char* title, const char* text);

}  // namespace tarnwick::ui
