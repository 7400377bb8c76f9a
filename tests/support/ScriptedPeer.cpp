#include "tests/support/ScriptedPeer.h"

#include <chrono>
#include <cstdio>
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

std::string okHeadStep(std::size_t length) {
    return "send HTTP/1.1 200 OK\\r\\nContent-Length: " + std::to_string(length) + "\\r\\n\\r\\n";
}

std::string partialHeadStep(std::size_t from, std::size_t total) {
    return "send HTTP/1.1 206 Partial Content\\r\\nContent-Range: bytes " + std::to_string(from) + "-" +
           std::to_string(total - 1) + "/" + std::to_string(total) +
           "\\r\\nContent-Length: " + std::to_string(total - from) + "\\r\\n\\r\\n";
}

std::string bytesStep(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
    std::string text = "hex";
    char pair[4];
    for (std::size_t i = from; i < to; ++i) {
        std::snprintf(pair, sizeof pair, " %02x", bytes[i]);
        text += pair;
    }
    return text;
}

}  // namespace tarnwick::test
