#pragma once

#include <cstdint>

namespace tarnwick::platform {

// The local time zone as Windows describes it: biases in minutes, west of
// Greenwich positive; the zone is in effect with Bias plus the bias of the
// season the answer names.
struct TimeZoneReading {
    enum Answer : std::uint32_t { kUnknown = 0, kStandard = 1, kDaylight = 2, kInvalid = 0xFFFFFFFF };
    Answer answer = kInvalid;
    std::int32_t bias = 0;
    std::int32_t standardBias = 0;
    std::int32_t daylightBias = 0;
};

// kInvalid with all biases 0 when the system cannot tell.
TimeZoneReading readTimeZone();

}  // namespace tarnwick::platform
