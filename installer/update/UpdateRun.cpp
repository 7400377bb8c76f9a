#include "installer/update/UpdateRun.h"

#include <memory>

#include "installer/core/Failure.h"
#include "installer/net/TcpConnection.h"
#include "installer/package/UpdateJob.h"
#include "installer/update/RendezvousExchange.h"

namespace tarnwick {

void runUpdate(UpdateRun& run) noexcept {
    run.outcome = kOutcomeNone;
    run.launchPath.clear();
    run.installedSize = 0;
    try {
        UpdateJob job;
        std::string host = run.rendezvousHost;
        // Each server, the first and every one a redirect names, gets a
        // connection and a challenge of its own. Servers that send the run
        // round in circles end it.
        for (std::uint32_t redirects = 0; !host.empty(); ++redirects) {
            if (redirects > kRedirectsPerRun) {
                run.outcome = kOutcomeFailed;
                return;
            }
            std::unique_ptr<TcpConnection> connection;
            try {
                connection = std::make_unique<TcpConnection>();
                connection->setIdleTimeout(run.idleTimeoutMilliseconds);
            } catch (...) {
                run.outcome = kOutcomeNoConnection;
                return;
            }
            try {
                const RendezvousAnswer answer = exchangeWithRendezvous(
                    *connection, host, run.replyTimeoutMilliseconds, run.progress, run.outcome);
                host = answer.redirectHost;
                if (host.empty()) {
                    job.setProgressSink(run.progress);
                    job.setIdleTimeout(run.idleTimeoutMilliseconds);
                    job.setPublisherKey(run.publisherKey);
                    job.download(answer.url.c_str(), answer.packageVersion);
                    job.install();
                    run.outcome = kOutcomeInstalled;
                    run.installedSize = job.unpackedSize();
                    run.launchPath = job.launchPath();
                }
            } catch (...) {
                connection->close();
                if (run.outcome == kOutcomeNone) run.outcome = kOutcomeFailed;
                return;
            }
        }
    } catch (...) {
        // Only the job's own construction can get here.
        if (run.outcome == kOutcomeNone) run.outcome = kOutcomeFailed;
    }
}

}  // namespace tarnwick
