#pragma once

#include <string>
#include <vector>

namespace tarnwick::test {

// Drives a scripted peer (peers/scripted-peer.py) that a test fixture
// started: what it plays on each coming connection, and what it received.
// The folder is the peer's own, as the fixture gave it to the peer.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::string folder);

    // One entry per coming connection, in the order they arrive; each holds
    // the peer's steps, one a line (recv N, head, drain, send TEXT, hex HH..,
    // sleep MS). Connections beyond the list are closed at once.
    void play(const std::vector<std::string>& connections) const;
    // Everything the peer received on that connection of the current play.
    std::string received(int connection = 0) const;

private:
    std::string folder_;
};

}  // namespace tarnwick::test
