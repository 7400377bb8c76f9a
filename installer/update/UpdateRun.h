#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "installer/core/Hosts.h"
#include "installer/core/Log.h"
#include "installer/core/ProgressSink.h"
#include "installer/core/ServiceAddresses.h"
#include "installer/net/Connection.h"
#include "installer/package/PackageSignature.h"
#include "installer/update/Outcome.h"

namespace tarnwick {

// Redirects a run follows; the next one ends it as a failure.
inline constexpr std::uint32_t kRedirectsPerRun = 8;

// One update run as the worker thread performs it: the rendezvous exchange,
// then the download and installation of the package offered. The inputs are
// set before the run; the results are written by the run and may be read by
// another thread once the worker has said that it finished.
struct UpdateRun {
    // The rendezvous server; the port is always 16000.
    std::string rendezvousHost = hosts::kRendezvous;
    // Shown "Connected..." and the job's progress; not owned, may be null.
    ProgressSink* progress = nullptr;
    // Told each step, what the servers answered, the download and install
    // figures and where a failure struck; not owned, may be null.
    Log* log = nullptr;
    // How long the server may take over each whole reply. A server that
    // accepts and then stays silent would otherwise hold the run, and the
    // user with it, for ever.
    std::uint32_t replyTimeoutMilliseconds = kDefaultIdleTimeout;
    // How long any peer (a proxy, the web server) may keep the run waiting
    // for its next byte, and a web server for its whole response head.
    std::uint32_t idleTimeoutMilliseconds = kDefaultIdleTimeout;
    // False decodes the package only once all of it has arrived, as a
    // baseline for benchmarks.
    bool decodeWhileDownloading = true;
    // The key whose signature the package must carry; none installs it
    // unchecked.
    std::optional<PublisherKey> publisherKey = builtInPublisherKey();

    Outcome outcome = kOutcomeNone;
    // Whether a rendezvous server was ever reached: a run that could not
    // connect anywhere is told apart from one that failed later.
    bool reachedServer = false;
    // The installed client program; empty unless the outcome is installed
    // and the package flagged a program.
    std::string launchPath;
    std::uint32_t installedSize = 0;
};

// Runs the exchange and the update job and leaves the outcome in run. Every
// failure ends in the outcome; nothing is thrown.
void runUpdate(UpdateRun& run) noexcept;

}  // namespace tarnwick
