#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "installer/core/RendezvousMessage.h"
#include "tools/tarnwick-rendezvous/Scenario.h"

namespace tarnwick::rendezvous {

// The server's half of one exchange as a scenario plays it, without sockets:
// the event loop hands it each whole message the installer sends and sends
// back what it answers. Every step is written into the exchange's log line.
class Exchange {
public:
    // What to do once the answer has been sent.
    enum class Then {
        kReceive,     // wait for the installer's next message
        kAwaitClose,  // say nothing more and wait for the installer to hang up
        kClose        // the exchange is over
    };
    struct Answer {
        std::vector<std::uint8_t> bytes;
        Then then;
    };

    // serverChallenges draws the challenge the server sends the installer.
    Exchange(const Scenario& scenario, std::string peer, std::mt19937& serverChallenges);

    // The answer to the hello, then to the response. Throws kGeneralFailure
    // on a message too short for its fields, and std::runtime_error when the
    // scenario cannot be played; the log line then says how far it got.
    Answer take(const RendezvousMessage& message);

    // The log line so far: the listening address, the installer's address
    // and port, then one word per step.
    std::string& line() { return line_; }

private:
    Answer answerHello(const RendezvousMessage& hello);
    Answer answerResponse(const RendezvousMessage& response);

    const Scenario& scenario_;
    std::mt19937& serverChallenges_;
    std::string line_;
    bool helloTaken_ = false;
    std::uint32_t serverChallenge_ = 0;
};

}  // namespace tarnwick::rendezvous
