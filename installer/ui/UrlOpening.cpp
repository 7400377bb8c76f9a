#include "installer/ui/UrlOpening.h"

#include <shellapi.h>

#include <string>
#include <utility>

#include "installer/core/UserNotice.h"
#include "installer/ui/logic/UrlScheme.h"

namespace tarnwick::ui {

namespace {

ShellOpener& shellOpener() {
    static ShellOpener opener = [](const char* address) {
        return reinterpret_cast<INT_PTR>(
            ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL));
    };
    return opener;
}

// The shell reports success with a value above 32.
bool shellOpen(const std::string& address) {
    return shellOpener()(address.c_str()) > 32;
}

}  // namespace

ShellOpener setShellOpener(ShellOpener opener) {
    return std::exchange(shellOpener(), std::move(opener));
}

void openUrl(const char* text) {
    const UrlRoute route = routeUrl(text != nullptr ? text : "");
    switch (route.opener) {
        case UrlOpener::Browser:
            openInBrowser(route.address.c_str());
            return;
        case UrlOpener::MailClient:
            openInMailClient(route.address.c_str());
            return;
        case UrlOpener::Shell:
            if (!shellOpen(route.address))
                alert("Unable to Open URL", "Tarnwick was unable to open the URL.");
            return;
    }
}

void openInBrowser(const char* url) {
    if (!shellOpen(browserAddress(url != nullptr ? url : ""))) {
        alert(
            "Unable to Open Browser",
            "Tarnwick was unable to open your web browser. Your web browser may not be installed correctly.");
    }
}

void openInMailClient(const char* url) {
    if (!shellOpen(mailAddress(url != nullptr ? url : ""))) {
        alert(
            "Unable to Email Application",
            "Tarnwick was unable to open your email application. Your email application may not be installed "
            "correctly.");
    }
}

}  // namespace tarnwick::ui
