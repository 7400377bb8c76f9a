#include "installer/update/Outcome.h"

#include <gtest/gtest.h>

#include <string>

#include "installer/core/Hosts.h"
#include "installer/core/ServiceAddresses.h"
#include "tests/support/RecordedNotices.h"

namespace tarnwick {
namespace {

using Action = OutcomeEnding::Action;
using Page = OutcomeEnding::Page;
using platform::TimeZoneReading;

TEST(OutcomeEnding, FailuresOfferTheRetryDialog) {
    EXPECT_EQ(endingForOutcome(kOutcomeNoConnection, "").action, Action::kNoResponseDialog);
    EXPECT_EQ(endingForOutcome(kOutcomeFailed, "x").action, Action::kNoResponseDialog);
    EXPECT_EQ(endingForOutcome(kOutcomeNone, "").action, Action::kNothing);
    EXPECT_EQ(endingForOutcome(99, "").action, Action::kNothing);
}

TEST(OutcomeEnding, InstalledFinishesOnlyWithALaunchPath) {
    EXPECT_EQ(endingForOutcome(kOutcomeInstalled, "C:\\x\\Tarnwick.exe").action, Action::kFinishInstallation);
    const auto withoutProgram = endingForOutcome(kOutcomeInstalled, "");
    const auto noUpdate = endingForOutcome(kOutcomeNoUpdate, "");
    EXPECT_EQ(withoutProgram.action, Action::kAlert);
    EXPECT_STREQ(withoutProgram.alertText, noUpdate.alertText);
    EXPECT_EQ(endingForOutcome(kOutcomeInstalled, nullptr).action, Action::kAlert);
}

TEST(OutcomeEnding, ServerAnswersShowTheirAlertThenTheirPage) {
    test::RecordedNotices notices;
    showOutcomeNotices(endingForOutcome(kOutcomeServiceUnavailable, ""));
    showOutcomeNotices(endingForOutcome(kOutcomeAutoUpdateProblem, ""));
    showOutcomeNotices(endingForOutcome(kOutcomeNoUpdate, ""));
    showOutcomeNotices(endingForOutcome(kOutcomeFailed, ""));

    const std::vector<test::RecordedNotices::Alert> expected = {
        {"Tarnwick Service Unavailable",
         "The Tarnwick service is currently unavailable. A web page will open with more information."},
        {"Auto-update Problem",
         "There is a problem with the auto-updating. Please visit the Tarnwick website to update your "
         "version of "
         "Tarnwick manually."},
        {"Auto-update Problem", "Updates are currently unavailable. Please try again a little later."},
    };
    EXPECT_EQ(notices.alerts(), expected);
    ASSERT_EQ(notices.openedUrls().size(), 2u);
    EXPECT_EQ(notices.openedUrls()[0], statusPageUrl());
    EXPECT_EQ(notices.openedUrls()[1], std::string("http://") + hosts::kWeb + "/download/");
    EXPECT_EQ(statusPageUrl().rfind(std::string("http://") + hosts::kStatus + "/?tz=", 0), 0u);
}

TEST(UtcOffset, AddsOnlyTheSeasonInEffectAndTurnsWestMinutesIntoEastSeconds) {
    // New York: bias 300, daylight bias -60.
    EXPECT_EQ(utcOffsetSeconds({TimeZoneReading::kStandard, 300, 0, -60}), -18000);
    EXPECT_EQ(utcOffsetSeconds({TimeZoneReading::kDaylight, 300, 0, -60}), -14400);
    EXPECT_EQ(utcOffsetSeconds({TimeZoneReading::kStandard, -60, 0, -60}), 3600);
    // A zone with no seasons, or an answer the system could not give.
    EXPECT_EQ(utcOffsetSeconds({TimeZoneReading::kUnknown, -330, 10, -60}), 19800);
    EXPECT_EQ(utcOffsetSeconds({TimeZoneReading::kInvalid, 0, 0, 0}), 0);
}

TEST(UtcOffset, StatusPageCarriesTheSystemsOffset) {
    const std::string url = statusPageUrl();
    EXPECT_EQ(url.substr(url.find("?tz=") + 4), std::to_string(utcOffsetSeconds()));
    EXPECT_EQ(utcOffsetSeconds() % 60, 0);
}

}  // namespace
}  // namespace tarnwick
