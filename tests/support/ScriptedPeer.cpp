#include "tests/support/ScriptedPeer.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace tarnwick::test {

ScriptedPeer::ScriptedPeer(std::string folder) : folder_(std::move(folder)) {}

void ScriptedPeer::play(const std::vector<std::string>& connections) const {
    for (int connection = 0; connection < 16; ++connection) {
        std::error_code ignored;
        std::filesystem::remove(folder_ + "/received." + std::to_string(connection), ignored);
    }
    // A new first line tells the peer to count connections afresh.
    static int plays = 0;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::ofstream script(folder_ + "/script", std::ios::binary | std::ios::trunc);
    script << "play " << ++plays << ' ' << now << '\n';
    for (std::size_t i = 0; i < connections.size(); ++i) {
        if (i != 0) {
            script << "--\n";
        }
        script << connections[i] << '\n';
    }
}

std::string ScriptedPeer::received(int connection) const {
    std::ifstream file(folder_ + "/received." + std::to_string(connection), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace tarnwick::test
