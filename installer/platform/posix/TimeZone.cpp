#include "installer/platform/TimeZone.h"

#include <ctime>

namespace tarnwick::platform {

// The C library gives the offset in effect now; it is reported as the zone's
// bias with no seasonal part, which adds up to the same offset.
TimeZoneReading readTimeZone() {
    TimeZoneReading reading;
    const std::time_t now = std::time(nullptr);
    struct tm local;
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) return reading;
    reading.answer = local.tm_isdst > 0 ? TimeZoneReading::kDaylight : TimeZoneReading::kStandard;
    reading.bias = static_cast<std::int32_t>(-local.tm_gmtoff / 60);
    return reading;
}

}  // namespace tarnwick::platform
