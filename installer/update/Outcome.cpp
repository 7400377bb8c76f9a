#include "installer/update/Outcome.h"

#include "installer/core/ServiceAddresses.h"
#include "installer/core/UserNotice.h"

namespace tarnwick {

namespace {

constexpr const char* kAutoUpdateTitle = "Auto-update Problem";
constexpr const char* kNoUpdateText = "Updates are currently unavailable. Please try again a little later.";

OutcomeEnding alertEnding(const char* title, const char* text,
                          OutcomeEnding::Page page = OutcomeEnding::Page::kNone) {
    return {OutcomeEnding::Action::kAlert, title, text, page};
}

}  // namespace

OutcomeEnding endingForOutcome(Outcome outcome, const char* launchPath) {
    switch (outcome) {
        case kOutcomeNoConnection:
        case kOutcomeFailed:
            return {OutcomeEnding::Action::kNoResponseDialog};
        case kOutcomeServiceUnavailable:
            return alertEnding(
                "Tarnwick Service Unavailable",
                "The Tarnwick service is currently unavailable. A web page will open with more "
                "information.",
                OutcomeEnding::Page::kStatusPage);
        case kOutcomeAutoUpdateProblem:
            return alertEnding(
                kAutoUpdateTitle,
                "There is a problem with the auto-updating. Please visit the Tarnwick website to "
                "update your version of Tarnwick manually.",
                OutcomeEnding::Page::kDownloadPage);
        case kOutcomeNoUpdate:
            return alertEnding(kAutoUpdateTitle, kNoUpdateText);
        case kOutcomeInstalled:
            // A package that flagged no client program leaves nothing to start.
            if (launchPath && *launchPath) return {OutcomeEnding::Action::kFinishInstallation};
            return alertEnding(kAutoUpdateTitle, kNoUpdateText);
        default:
            return {};
    }
}

int exitCodeForOutcome(Outcome outcome, const char* launchPath, bool reachedServer) {
    switch (outcome) {
        case kOutcomeServiceUnavailable:
            return kExitServiceUnavailable;
        case kOutcomeAutoUpdateProblem:
            return kExitAutoUpdateProblem;
        case kOutcomeNoUpdate:
            return kExitNoUpdate;
        case kOutcomeInstalled:
            return launchPath && *launchPath ? kExitInstalled : kExitNoUpdate;
        default:
            return reachedServer ? kExitFailed : kExitNoConnection;
    }
}

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case kOutcomeNone:
            return "none";
        case kOutcomeNoConnection:
            return "no connection";
        case kOutcomeServiceUnavailable:
            return "service unavailable";
        case kOutcomeAutoUpdateProblem:
            return "auto-update problem";
        case kOutcomeNoUpdate:
            return "no update";
        case kOutcomeFailed:
            return "failed";
        case kOutcomeInstalled:
            return "installed";
        default:
            return "unknown";
    }
}

void showOutcomeNotices(const OutcomeEnding& ending) {
    if (ending.action != OutcomeEnding::Action::kAlert) return;
    alert(ending.alertTitle, ending.alertText);
    switch (ending.pageAfterAlert) {
        case OutcomeEnding::Page::kStatusPage:
            openUrl(statusPageUrl().c_str());
            break;
        case OutcomeEnding::Page::kDownloadPage:
            openUrl(downloadPageUrl().c_str());
            break;
        case OutcomeEnding::Page::kNone:
            break;
    }
}

}  // namespace tarnwick
