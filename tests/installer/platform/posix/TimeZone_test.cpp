#include "installer/platform/TimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tarnwick::platform {
namespace {

// Zones without seasons, written as POSIX TZ rules (whose offsets count
// west of Greenwich, like Windows' biases): the reading says the zone's
// whole offset in its bias.
TEST(TimeZone, BiasesCountMinutesWestOfGreenwich) {
    std::optional<std::string> previous;
    if (const char* zone = std::getenv("TZ")) previous = zone;
    const struct {
        const char* zone;
        std::int32_t bias;
    } cases[] = {{"UTC0", 0}, {"<+0530>-5:30", -330}, {"<-03>3", 180}, {"<+1245>-12:45", -765}};
    for (const auto& c : cases) {
        ::setenv("TZ", c.zone, 1);
        ::tzset();
        const TimeZoneReading reading = readTimeZone();
        EXPECT_EQ(reading.answer, TimeZoneReading::kStandard) << c.zone;
        EXPECT_EQ(reading.bias, c.bias) << c.zone;
        EXPECT_EQ(reading.standardBias, 0) << c.zone;
    }
    if (previous)
        ::setenv("TZ", previous->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace tarnwick::platform
