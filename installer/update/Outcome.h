#pragma once

#include <cstdint>

namespace tarnwick {

// How an update run ended, set by the worker and read by the user-interface
// thread once the worker has finished.
using Outcome = std::int32_t;

inline constexpr Outcome kOutcomeNone = 0;                // run just started; never left at the end
inline constexpr Outcome kOutcomeNoConnection = 1;        // no connection object could be made
inline constexpr Outcome kOutcomeServiceUnavailable = 2;  // the server answered message 54
inline constexpr Outcome kOutcomeAutoUpdateProblem = 3;   // the server answered message 124
inline constexpr Outcome kOutcomeNoUpdate = 4;            // message 58, or an offer without a URL
inline constexpr Outcome kOutcomeFailed = 5;              // anything else went wrong
inline constexpr Outcome kOutcomeInstalled = 6;           // downloaded and installed

// What the user sees at the end of a run: the one place that maps an outcome
// to alerts, pages and dialogs. The Windows program shows the dialogs; the
// alerts and pages go through the user-notice seam (showOutcomeNotices).
struct OutcomeEnding {
    enum class Action {
        kNothing,
        kNoResponseDialog,    // offer to try again (a new run) or to exit at once
        kAlert,               // alertTitle/alertText, then page if any
        kFinishInstallation,  // register the installed client and start it
    };
    enum class Page { kNone, kStatusPage, kDownloadPage };

    Action action = Action::kNothing;
    const char* alertTitle = nullptr;
    const char* alertText = nullptr;
    Page pageAfterAlert = Page::kNone;
};

OutcomeEnding endingForOutcome(Outcome outcome, const char* launchPath);

// What a run without windows tells whoever started it, in its exit code.
// Administrators script against these numbers: they never change meaning.
inline constexpr int kExitInstalled = 0;
inline constexpr int kExitNoConnection = 1;        // no rendezvous server could be reached
inline constexpr int kExitServiceUnavailable = 2;  // message 54
inline constexpr int kExitAutoUpdateProblem = 3;   // message 124
inline constexpr int kExitNoUpdate = 4;            // message 58, or an offer without a URL
inline constexpr int kExitFailed = 5;              // anything after a server was reached
inline constexpr int kExitWindowsTooOld = 6;
inline constexpr int kExitBadCommandLine = 7;

// The exit code for a run that ended in outcome. A run counts as failing to
// connect only when it reached no rendezvous server at all; a package that
// flagged no client to start ends as the alert says, with no update.
int exitCodeForOutcome(Outcome outcome, const char* launchPath, bool reachedServer);

// A name for the outcome in logs and reports.
const char* outcomeName(Outcome outcome);

// Shows the alert of an ending and then opens its page; does nothing for the
// other actions, which belong to the Windows program.
void showOutcomeNotices(const OutcomeEnding& ending);

}  // namespace tarnwick
