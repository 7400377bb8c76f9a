#pragma once

#include <cstddef>
#include <cstdint>
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

// Steps of a web peer's script: the head of a whole body of this length, the
// head of a body's range from FROM to its end, and the step that sends bytes
// [from, to) of a body.
std::string okHeadStep(std::size_t length);
std::string partialHeadStep(std::size_t from, std::size_t total);
std::string bytesStep(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to);

}  // namespace tarnwick::test
