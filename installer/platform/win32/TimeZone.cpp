#include "installer/platform/TimeZone.h"

#include <windows.h>

namespace tarnwick::platform {

TimeZoneReading readTimeZone() {
    TIME_ZONE_INFORMATION zone = {};
    const DWORD answer = GetTimeZoneInformation(&zone);
    TimeZoneReading reading;
    if (answer == TIME_ZONE_ID_INVALID) return reading;
    reading.answer = static_cast<TimeZoneReading::Answer>(answer);
    reading.bias = zone.Bias;
    reading.standardBias = zone.StandardBias;
    reading.daylightBias = zone.DaylightBias;
    return reading;
}

}  // namespace tarnwick::platform
