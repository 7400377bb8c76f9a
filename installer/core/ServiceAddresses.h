#pragma once

#include <string>

#include "installer/platform/TimeZone.h"

namespace tarnwick {

// The local time zone's offset from UTC in seconds, positive east of
// Greenwich, as the status page expects it. 0 when the zone cannot be read.
int utcOffsetSeconds();
// The same for a zone as the system describes it.
int utcOffsetSeconds(const platform::TimeZoneReading& zone);

// "http://<status host>/?tz=<utcOffsetSeconds>"
std::string statusPageUrl();
// "http://<web host>/download/"
std::string downloadPageUrl();

}  // namespace tarnwick
