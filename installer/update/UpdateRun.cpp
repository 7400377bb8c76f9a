#include "installer/update/UpdateRun.h"

#include <memory>

#include "installer/core/Failure.h"
#include "installer/core/RendezvousMessage.h"
#include "installer/net/ProxySettings.h"
#include "installer/net/TcpConnection.h"
#include "installer/package/UpdateJob.h"
#include "installer/update/RendezvousExchange.h"

namespace tarnwick {

namespace {

// Which proxies the run goes through. Only where to: the user names and
// passwords stay out of the log.
void logProxies(Log& log) {
    const ProxySettings& proxies = ProxySettings::instance();
    if (proxies.useSocksProxy())
        log.write("SOCKS %d proxy %s:%u", proxies.socksVersion() == 4 ? 4 : 5, proxies.socksHost(),
                  proxies.socksPort());
    if (proxies.useHttpProxy())
        log.write("HTTP proxy %s:%u for the download", proxies.httpProxyHost(), proxies.httpProxyPort());
}

}  // namespace

void runUpdate(UpdateRun& run) noexcept {
    run.outcome = kOutcomeNone;
    run.launchPath.clear();
    run.installedSize = 0;
    run.reachedServer = false;
    // What the run was doing when it failed, for the log.
    const char* step = "preparing the run";
    try {
        if (run.log) logProxies(*run.log);
        UpdateJob job;
        job.setLog(run.log);
        std::string host = run.rendezvousHost;
        // Each server, the first and every one a redirect names, gets a
        // connection and a challenge of its own. Servers that send the run
        // round in circles end it.
        for (std::uint32_t redirects = 0; !host.empty(); ++redirects) {
            if (redirects > kRedirectsPerRun) {
                if (run.log) run.log->write("failed: more than %u redirects", kRedirectsPerRun);
                run.outcome = kOutcomeFailed;
                return;
            }
            std::unique_ptr<TcpConnection> connection;
            try {
                connection = std::make_unique<TcpConnection>();
                connection->setIdleTimeout(run.idleTimeoutMilliseconds);
            } catch (...) {
                if (run.log) run.log->write("failed: no connection could be made");
                run.outcome = kOutcomeNoConnection;
                return;
            }
            try {
                step = "connecting to the rendezvous server";
                if (run.log) run.log->write("connecting to %s:%u", host.c_str(), kRendezvousPort);
                connection->open(host.c_str(), kRendezvousPort);
                run.reachedServer = true;
                if (run.log) run.log->write("connected to %s", host.c_str());
                step = "talking to the rendezvous server";
                const RendezvousAnswer answer = exchangeWithRendezvous(
                    *connection, run.replyTimeoutMilliseconds, run.progress, run.log, run.outcome);
                host = answer.redirectHost;
                if (host.empty()) {
                    job.setProgressSink(run.progress);
                    job.setIdleTimeout(run.idleTimeoutMilliseconds);
                    job.setDecodeWhileDownloading(run.decodeWhileDownloading);
                    job.setPublisherKey(run.publisherKey);
                    step = "downloading";
                    job.download(answer.url.c_str(), answer.packageVersion);
                    step = "installing";
                    job.install();
                    run.outcome = kOutcomeInstalled;
                    run.installedSize = job.unpackedSize();
                    run.launchPath = job.launchPath();
                }
            } catch (FailureCode code) {
                connection->close();
                // The server's own answers are logged where they arrive.
                if (run.outcome == kOutcomeNone) {
                    if (run.log) run.log->write("failed while %s: code %d", step, code);
                    run.outcome = kOutcomeFailed;
                }
                return;
            } catch (...) {
                connection->close();
                if (run.log) run.log->write("failed while %s: out of memory or an unexpected fault", step);
                if (run.outcome == kOutcomeNone) run.outcome = kOutcomeFailed;
                return;
            }
        }
    } catch (...) {
        // Only the job's own construction can get here.
        if (run.log) run.log->write("failed while %s", step);
        if (run.outcome == kOutcomeNone) run.outcome = kOutcomeFailed;
    }
}

}  // namespace tarnwick
