#include "installer/update/RendezvousExchange.h"

#include <cstdio>

#include "installer/core/ChallengeGenerator.h"
#include "installer/core/Failure.h"
#include "installer/core/KeyedTransform.h"
#include "installer/core/RendezvousMessage.h"

namespace tarnwick {

namespace {

// A whole reply must arrive in time. The deadline bounds the receives
// themselves, so a reply that is complete when it expires has arrived, and
// nothing closes the connection under a later step.
void receiveReply(Connection& connection, std::uint32_t replyTimeout, RendezvousMessage& message) {
    ScopedDeadline deadline(connection, replyTimeout);
    receiveMessage([&](void* bytes, std::uint32_t count) { connection.receiveExactly(bytes, count); },
                   message);
}

// Where a redirect sends the run: the address word as dotted decimal text,
// most significant byte first.
std::string dottedQuad(std::uint32_t address) {
    char host[64];
    std::snprintf(host, sizeof host, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return host;
}

}  // namespace

RendezvousAnswer exchangeWithRendezvous(Connection& connection, std::uint32_t replyTimeout,
                                        ProgressSink* progress, Log* log, Outcome& outcome) {
    if (progress) progress->setStatusText("Connected...");

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
    receiveReply(connection, replyTimeout, reply);
    if (reply.type == kMsgSkip) receiveReply(connection, replyTimeout, reply);

    RendezvousAnswer answer;
    if (reply.type == kMsgRedirect) {
        if (reply.word(0) != keyedTransform(challenge)) {
            if (log) log->write("the server's redirect carries a wrong proof");
            throw kGeneralFailure;
        }
        answer.redirectHost = dottedQuad(reply.word(1));
        if (log) log->write("redirected to %s", answer.redirectHost.c_str());
        connection.close();
        return answer;
    }
    if (reply.type == kMsgServiceUnavailable) {
        if (log) log->write("the server answered: service unavailable (54)");
        outcome = kOutcomeServiceUnavailable;
        throw kQuietFailure;
    }
    if (reply.type != kMsgChallenge) {
        if (log) log->write("unexpected reply to the hello: message %u", reply.type);
        throw kGeneralFailure;
    }

    answer.packageVersion = reply.word(1);
    if (reply.word(2) != keyedTransform(challenge)) {
        if (log) log->write("the server's challenge carries a wrong proof");
        throw kGeneralFailure;
    }
    const auto response = encodeResponse(reply.word(3));
    connection.sendAll(response.data(), static_cast<std::uint32_t>(response.size()));
    receiveReply(connection, replyTimeout, reply);
    connection.close();

    switch (reply.type) {
        case kMsgAutoUpdateProblem:
            if (log) log->write("the server answered: auto-update problem (124)");
            outcome = kOutcomeAutoUpdateProblem;
            throw kQuietFailure;
        case kMsgNoUpdate:
            if (log) log->write("the server answered: no update (58)");
            outcome = kOutcomeNoUpdate;
            throw kQuietFailure;
        case kMsgUpdateOffer: {
            char url[256];
            reply.shortString(url);
            if (url[0] == 0) {
                if (log)
                    log->write("the server offered version %u without a URL (78)", answer.packageVersion);
                outcome = kOutcomeNoUpdate;
                throw kQuietFailure;
            }
            answer.url = url;
            if (log) log->write("offered version %u at %s", answer.packageVersion, url);
            return answer;
        }
        default:
            if (log) log->write("unexpected reply to the response: message %u", reply.type);
            throw kGeneralFailure;
    }
}

}  // namespace tarnwick
