#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "installer/core/Failure.h"
#include "installer/net/Connection.h"

namespace tarnwick::test {

// A Connection whose peer is a text in memory, for tests and fuzzers of the
// readers above a connection: each receive hands out the next bytes, at most
// largestPiece at a time, and once they are used up the peer has closed (-1).
// What is sent is kept. Every host name resolves to 10.0.0.1 and every
// connect succeeds, so that a SOCKS handshake runs over it as well. Nothing
// here waits, so the idle timeout and deadlines have nothing to bound.
class MemoryConnection final : public Connection {
public:
    explicit MemoryConnection(std::string incoming, std::uint32_t largestPiece = UINT32_MAX)
        : incoming_(std::move(incoming)), largestPiece_(std::max<std::uint32_t>(largestPiece, 1)) {}

    void sendAll(const void* data, std::uint32_t length) override {
        if (closed_) throw kQuietFailure;
        sent_.append(static_cast<const char*>(data), length);
    }

    std::uint32_t receiveSome(void* buffer, std::uint32_t capacity) override {
        if (capacity == 0) return 0;
        if (closed_) throw kQuietFailure;
        if (next_ == incoming_.size()) throw kConnectionFailure;
        const auto count = static_cast<std::uint32_t>(
            std::min<std::size_t>({capacity, largestPiece_, incoming_.size() - next_}));
        std::memcpy(buffer, incoming_.data() + next_, count);
        next_ += count;
        return count;
    }

    void readLine(char* buffer, std::uint32_t size) override {
        if (size == 0) return;
        std::uint32_t stored = 0;
        while (stored + 1 < size) {
            receiveSome(buffer + stored, 1);
            if (buffer[stored++] == '\n') break;
        }
        buffer[stored] = '\0';
    }

    void close() override { closed_ = true; }
    std::uint32_t resolve(const char*) override { return 0x0A000001; }
    void connectTo(const char*, std::uint16_t) override {
        if (closed_) throw kConnectionFailure;
    }

    const std::string& sent() const { return sent_; }

private:
    std::string incoming_;
    std::size_t next_ = 0;
    std::uint32_t largestPiece_;
    std::string sent_;
    bool closed_ = false;
};

}  // namespace tarnwick::test
