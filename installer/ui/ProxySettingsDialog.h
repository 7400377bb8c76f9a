#pragma once

#include <initializer_list>
#include <string>

#include "installer/net/ProxySettings.h"
#include "installer/ui/ModalDialog.h"

namespace tarnwick::ui {

// Edits the proxy settings: an HTTP proxy for the download and a SOCKS
// proxy for every connection, each switched on by a check box that enables
// its fields. OK stores every field, validates, saves and closes with 1;
// Cancel leaves the settings untouched. The settings are not owned.
class ProxySettingsDialog : public CModalDialog {
public:
    explicit ProxySettingsDialog(ProxySettings& settings);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notification) override;
    void OnOK() override;

private:
    // Fills the fields from the settings and applies both group rules;
    // true when a rule put the focus into a field.
    bool fill();
    bool applyHttpRule();
    bool applySocksRule();
    void enable(std::initializer_list<int> ids, bool on);
    void focusField(int id);
    std::string fieldText(int id) const;

    ProxySettings& settings_;
};

// Shows the dialog over the process-wide settings.
void runProxySettingsDialog();

}  // namespace tarnwick::ui
