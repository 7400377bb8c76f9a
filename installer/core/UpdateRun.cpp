#include "installer/core/UpdateRun.h"

#include <cstdio>
#include <memory>

#include "installer/core/ChallengeGenerator.h"
#include "installer/core/Failure.h"
#include "installer/core/KeyedTransform.h"
#include "installer/core/RendezvousMessage.h"
#include "installer/net/TcpConnection.h"
#include "installer/package/UpdateJob.h"

namespace tarnwick {

namespace {

// A whole reply must arrive within the run's reply time. The deadline bounds
// the receives themselves, so a reply that is complete when it expires has
// arrived, and nothing closes the connection under a later step.
void receiveReply(Connection& connection, const UpdateRun& run, RendezvousMessage& message) {
    ScopedDeadline deadline(connection, run.replyTimeoutMilliseconds);
    receiveMessage([&](void* bytes, std::uint32_t count) { connection.receiveExactly(bytes, count); },
                   message);
}

void reportStatus(const UpdateRun& run, const char* text) {
    if (run.progress) run.progress->setStatusText(text);
}

// Where a redirect sends the run: the address word as dotted decimal text,
// most significant byte first.
std::string dottedQuad(std::uint32_t address) {
    char host[64];
    std::snprintf(host, sizeof host, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return host;
}

// One connection's exchange. Returns the server to try next after a
// redirect, or an empty text when the run is over. Fails by throwing: -2
// after setting an outcome, -3 for a protocol violation, or whatever the
// connection or the job threw.
std::string exchange(Connection& connection, const std::string& host, UpdateJob& job, UpdateRun& run) {
    connection.open(host.c_str(), kRendezvousPort);
    reportStatus(run, "Connected...");

    // installer                              server
    //   hello (180): 2, 134, challenge  -->
    //                                   <--  [skip (1), once]
    //                                   <--  redirect (3): proof, address
    //                                        | unavailable (54)
    //                                        | challenge (84): -, version, proof, server challenge
    //   response (272): proof           -->
    //                                   <--  offer (78) | no update (58) | problem (124)
    const std::uint32_t challenge = nextChallenge();
    const auto hello = encodeHello(challenge);
    connection.sendAll(hello.data(), static_cast<std::uint32_t>(hello.size()));

    RendezvousMessage reply;
    receiveReply(connection, run, reply);
    if (reply.type == kMsgSkip) receiveReply(connection, run, reply);

    if (reply.type == kMsgRedirect) {
        if (reply.word(0) != keyedTransform(challenge)) throw kGeneralFailure;
        const std::string next = dottedQuad(reply.word(1));
        connection.close();
        return next;
    }
    if (reply.type == kMsgServiceUnavailable) {
        run.outcome = kOutcomeServiceUnavailable;
        throw kQuietFailure;
    }
    if (reply.type != kMsgChallenge) throw kGeneralFailure;

    const std::uint32_t packageVersion = reply.word(1);
    if (reply.word(2) != keyedTransform(challenge)) throw kGeneralFailure;
    const auto response = encodeResponse(reply.word(3));
    connection.sendAll(response.data(), static_cast<std::uint32_t>(response.size()));
    receiveReply(connection, run, reply);
    connection.close();

    switch (reply.type) {
        case kMsgAutoUpdateProblem:
            run.outcome = kOutcomeAutoUpdateProblem;
            throw kQuietFailure;
        case kMsgNoUpdate:
            run.outcome = kOutcomeNoUpdate;
            throw kQuietFailure;
        case kMsgUpdateOffer: {
            char url[256];
            reply.shortString(url);
            if (url[0] == 0) {
                run.outcome = kOutcomeNoUpdate;
                throw kQuietFailure;
            }
            job.setProgressSink(run.progress);
            job.setIdleTimeout(run.idleTimeoutMilliseconds);
            job.download(url, packageVersion);
            job.install();
            run.outcome = kOutcomeInstalled;
            run.installedSize = job.unpackedSize();
            run.launchPath = job.launchPath();
            return std::string();
        }
        default:
            throw kGeneralFailure;
    }
}

}  // namespace

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
                if (run.outcome == kOutcomeNone) run.outcome = kOutcomeFailed;
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
                host = exchange(*connection, host, job, run);
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
