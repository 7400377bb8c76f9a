#include "installer/ui/ProxySettingsDialog.h"

#include <string>

#include "installer/ui/ResourceIds.h"
#include "installer/ui/logic/PortText.h"

namespace tarnwick::ui {

namespace {

constexpr int kTextFields[] = {IDC_HTTP_HOST,  IDC_HTTP_PORT,  IDC_HTTP_USER,  IDC_HTTP_PASSWORD,
                               IDC_SOCKS_HOST, IDC_SOCKS_PORT, IDC_SOCKS_USER, IDC_SOCKS_PASSWORD};

// Every text of the settings holds this many characters at most; the fields
// stop there, so what the user sees is what is stored.
constexpr int kFieldLimit = static_cast<int>(ProxySettings::kTextCapacity) - 1;

UINT checkState(bool on) {
    return on ? BST_CHECKED : BST_UNCHECKED;
}

}  // namespace

ProxySettingsDialog::ProxySettingsDialog(ProxySettings& settings)
    : CModalDialog(IDD_PROXY_SETTINGS), settings_(settings) {}

BOOL ProxySettingsDialog::OnInitDialog() {
    for (int id : kTextFields)
        SendDlgItemMessageA(handle(), id, EM_LIMITTEXT, kFieldLimit, 0);
    // When a rule put the focus into a field, the dialog manager must not
    // move it to the first control.
    return fill() ? FALSE : TRUE;
}

bool ProxySettingsDialog::fill() {
    CheckDlgButton(handle(), IDC_USE_HTTP_PROXY, checkState(settings_.useHttpProxy()));
    CheckDlgButton(handle(), IDC_USE_SOCKS_PROXY, checkState(settings_.useSocksProxy()));
    SetDlgItemTextA(handle(), IDC_HTTP_HOST, settings_.httpProxyHost());
    SetDlgItemTextA(handle(), IDC_HTTP_PORT, formatPort(settings_.httpProxyPort()).c_str());
    SetDlgItemTextA(handle(), IDC_HTTP_USER, settings_.httpProxyUser());
    SetDlgItemTextA(handle(), IDC_HTTP_PASSWORD, settings_.httpProxyPassword());
    SetDlgItemTextA(handle(), IDC_SOCKS_HOST, settings_.socksHost());
    SetDlgItemTextA(handle(), IDC_SOCKS_PORT, formatPort(settings_.socksPort()).c_str());
    SetDlgItemTextA(handle(), IDC_SOCKS_USER, settings_.socksUser());
    SetDlgItemTextA(handle(), IDC_SOCKS_PASSWORD, settings_.socksPassword());
    CheckRadioButton(handle(), IDC_SOCKS4, IDC_SOCKS5,
                     settings_.socksVersion() == 5 ? IDC_SOCKS5 : IDC_SOCKS4);
    const bool httpFocused = applyHttpRule();
    const bool socksFocused = applySocksRule();
    return httpFocused || socksFocused;
}

bool ProxySettingsDialog::applyHttpRule() {
    const bool on = IsDlgButtonChecked(handle(), IDC_USE_HTTP_PROXY) == BST_CHECKED;
    enable({IDC_HTTP_HOST, IDC_HTTP_PORT, IDC_HTTP_USER, IDC_HTTP_PASSWORD, IDC_HTTP_HOST_LABEL,
            IDC_HTTP_PORT_LABEL, IDC_HTTP_USER_LABEL, IDC_HTTP_PASSWORD_LABEL},
           on);
    if (on) focusField(IDC_HTTP_HOST);
    return on;
}

bool ProxySettingsDialog::applySocksRule() {
    const bool on = IsDlgButtonChecked(handle(), IDC_USE_SOCKS_PROXY) == BST_CHECKED;
    enable(
        {IDC_SOCKS_HOST, IDC_SOCKS_PORT, IDC_SOCKS_HOST_LABEL, IDC_SOCKS_PORT_LABEL, IDC_SOCKS4, IDC_SOCKS5},
        on);
    if (on) focusField(IDC_SOCKS_HOST);
    // The saved version decides, not the radio button selected right now.
    enable({IDC_SOCKS_USER, IDC_SOCKS_PASSWORD, IDC_SOCKS_USER_LABEL, IDC_SOCKS_PASSWORD_LABEL},
           on && settings_.socksVersion() == 5);
    return on;
}

void ProxySettingsDialog::enable(std::initializer_list<int> ids, bool on) {
    for (int id : ids)
        EnableWindow(GetDlgItem(id), on ? TRUE : FALSE);
}

void ProxySettingsDialog::focusField(int id) {
    SendMessageA(handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(id)), TRUE);
}

bool ProxySettingsDialog::OnCommand(int id, int notification) {
    if (notification != BN_CLICKED) return CModalDialog::OnCommand(id, notification);
    switch (id) {
        case IDC_USE_HTTP_PROXY:
            applyHttpRule();
            return true;
        case IDC_USE_SOCKS_PROXY:
            applySocksRule();
            return true;
        case IDC_SOCKS4:
            enable({IDC_SOCKS_USER, IDC_SOCKS_PASSWORD, IDC_SOCKS_USER_LABEL, IDC_SOCKS_PASSWORD_LABEL},
                   false);
            return true;
        case IDC_SOCKS5:
            enable({IDC_SOCKS_USER, IDC_SOCKS_PASSWORD, IDC_SOCKS_USER_LABEL, IDC_SOCKS_PASSWORD_LABEL},
                   true);
            focusField(IDC_SOCKS_USER);
            return true;
        default:
            return CModalDialog::OnCommand(id, notification);
    }
}

std::string ProxySettingsDialog::fieldText(int id) const {
    char text[ProxySettings::kTextCapacity] = {};
    GetDlgItemTextA(handle(), id, text, sizeof text);
    return text;
}

void ProxySettingsDialog::OnOK() {
    settings_.setUseHttpProxy(IsDlgButtonChecked(handle(), IDC_USE_HTTP_PROXY) == BST_CHECKED);
    settings_.setHttpProxyHost(fieldText(IDC_HTTP_HOST).c_str());
    settings_.setHttpProxyPort(parsePort(fieldText(IDC_HTTP_PORT).c_str()));
    settings_.setHttpProxyUser(fieldText(IDC_HTTP_USER).c_str());
    settings_.setHttpProxyPassword(fieldText(IDC_HTTP_PASSWORD).c_str());
    settings_.setUseSocksProxy(IsDlgButtonChecked(handle(), IDC_USE_SOCKS_PROXY) == BST_CHECKED);
    settings_.setSocksHost(fieldText(IDC_SOCKS_HOST).c_str());
    settings_.setSocksPort(parsePort(fieldText(IDC_SOCKS_PORT).c_str()));
    settings_.setSocksUser(fieldText(IDC_SOCKS_USER).c_str());
    settings_.setSocksPassword(fieldText(IDC_SOCKS_PASSWORD).c_str());
    settings_.setSocksVersion(IsDlgButtonChecked(handle(), IDC_SOCKS4) == BST_CHECKED ? 4 : 5);
    settings_.validate();
    settings_.save();
    fill();
    EndDialog(IDOK);
}

void runProxySettingsDialog() {
    ProxySettingsDialog dialog(ProxySettings::instance());
    [[maybe_unused]] const INT_PTR result = dialog.DoModal();
}

}  // namespace tarnwick::ui
