#pragma once

#include <cstdint>
#include <string>

#include "installer/core/Log.h"
#include "installer/core/ProgressSink.h"
#include "installer/net/Connection.h"
#include "installer/update/Outcome.h"

namespace tarnwick {

// What one rendezvous server told the installer: either another server to
// ask instead, or the package on offer.
struct RendezvousAnswer {
    // After a redirect, the server to ask next as dotted decimal text;
    // otherwise empty.
    std::string redirectHost;
    // The offered package: its URL (not empty) and version.
    std::string url;
    std::uint32_t packageVersion = 0;
};

// One connection's exchange with a rendezvous server, once the connection is
// open, to the offer: the hello with a fresh challenge, the server's proof,
// the installer's response. Each whole reply must arrive within replyTimeout
// milliseconds. Status "Connected..." goes to progress, and what the server
// answered to log (either may be null). The connection is closed after the
// last reply.
//
// Fails by throwing: -2 after setting outcome for the server's own answers
// (service unavailable, auto-update problem, no update), -3 for a protocol
// violation, or whatever the connection threw; outcome is left alone then.
RendezvousAnswer exchangeWithRendezvous(Connection& connection, std::uint32_t replyTimeout,
                                        ProgressSink* progress, Log* log, Outcome& outcome);

}  // namespace tarnwick
