#include "installer/core/UserNotice.h"

#include <cstdio>
#include <utility>

namespace tarnwick {

namespace {

// Until a program installs its own, notices go to the standard error stream,
// so that no problem is ever silently lost.
AlertHandler& alertHandler() {
    static AlertHandler handler = [](const char* title, const char* text) {
        std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    };
    return handler;
}

OpenUrlHandler& openUrlHandler() {
    static OpenUrlHandler handler = [](const char* address) {
        std::fprintf(stderr, "open %s\n", address ? address : "");
    };
    return handler;
}

}  // namespace

void alert(const char* title, const char* text) {
    alertHandler()(title, text);
}

void openUrl(const char* address) {
    openUrlHandler()(address);
}

AlertHandler setAlertHandler(AlertHandler handler) {
    return std::exchange(alertHandler(), std::move(handler));
}

OpenUrlHandler setOpenUrlHandler(OpenUrlHandler handler) {
    return std::exchange(openUrlHandler(), std::move(handler));
}

void logUserNotices(Log& log, bool show) {
    AlertHandler shownAlert = setAlertHandler(nullptr);
    OpenUrlHandler opened = setOpenUrlHandler(nullptr);
    if (!show) {
        shownAlert = nullptr;
        opened = nullptr;
    }
    setAlertHandler([&log, shownAlert](const char* title, const char* text) {
        log.write("alert \"%s\": %s", title ? title : "", text ? text : "");
        if (shownAlert) shownAlert(title, text);
    });
    setOpenUrlHandler([&log, opened](const char* address) {
        log.write("%s %s", opened ? "opening" : "not opening, as nobody watches:", address ? address : "");
        if (opened) opened(address);
    });
}

}  // namespace tarnwick
