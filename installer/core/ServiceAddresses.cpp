#include "installer/core/ServiceAddresses.h"

#include <cstdio>

namespace tarnwick {

const char* const kRendezvousHost = TARNWICK_RENDEZVOUS_HOST;
const char* const kStatusHost = TARNWICK_STATUS_HOST;
const char* const kWebHost = TARNWICK_WEB_HOST;

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
    std::snprintf(url, sizeof url, "http://%s/?tz=%d", kStatusHost, utcOffsetSeconds());
    return url;
}

std::string downloadPageUrl() {
    return std::string("http://") + kWebHost + "/download/";
}

}  // namespace tarnwick
