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

// Shows the alert of an ending and then opens its page; does nothing for the
// other actions, which belong to the Windows program.
void showOutcomeNotices(const OutcomeEnding& ending);

}  // namespace tarnwick
