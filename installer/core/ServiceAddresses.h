#pragma once

#include <string>

namespace tarnwick {

// The service's host names, fixed when the installer is built (see the
// CMake cache variables TARNWICK_*_HOST).
extern const char* const kRendezvousHost;
extern const char* const kStatusHost;
extern const char* const kWebHost;

// The local time zone's offset from UTC in seconds, positive east of
// Greenwich, as the status page expects it. 0 when the zone cannot be read.
int utcOffsetSeconds();

// "http://<status host>/?tz=<utcOffsetSeconds>"
std::string statusPageUrl();
// "http://<web host>/download/"
std::string downloadPageUrl();

}  // namespace tarnwick
