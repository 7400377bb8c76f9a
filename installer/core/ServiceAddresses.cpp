#include "installer/core/ServiceAddresses.h"

#include <cstdio>

#include "installer/core/Hosts.h"

namespace tarnwick {

int utcOffsetSeconds() {
    return utcOffsetSeconds(platform::readTimeZone());
}

int utcOffsetSeconds(const platform::TimeZoneReading& zone) {
    using platform::TimeZoneReading;
    // Windows biases are minutes west of Greenwich: the seasonal bias is added
    // only for the season the system says is in effect.
    std::int32_t bias = zone.bias;
    if (zone.answer == TimeZoneReading::kStandard) bias += zone.standardBias;
    if (zone.answer == TimeZoneReading::kDaylight) bias += zone.daylightBias;
    return bias * -60;
}

std::string statusPageUrl() {
    char url[256];
    std::snprintf(url, sizeof url, "http://%s/?tz=%d", hosts::kStatus, utcOffsetSeconds());
    return url;
}

std::string downloadPageUrl() {
    return std::string("http://") + hosts::kWeb + "/download/";
}

}  // namespace tarnwick
