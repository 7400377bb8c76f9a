#include "installer/net/TcpConnection.h"

#include <algorithm>

#include "installer/core/Failure.h"

namespace tarnwick {

namespace {

constexpr std::uint32_t kLineBudgetMilliseconds = 30000;

}  // namespace

TcpConnection::TcpConnection() : socket_(platform::openTcpSocket()) {
    if (socket_ == platform::kNoSocket) {
        throw kGeneralFailure;
    }
}

TcpConnection::~TcpConnection() {
    close();
    platform::releaseSocket(socket_);
}

void TcpConnection::throwSocketFailure() const {
    if (aborted_) {
        throw kQuietFailure;
    }
    throw static_cast<FailureCode>(platform::lastSocketError());
}

void TcpConnection::sendAll(const void* data, std::uint32_t length) {
    const auto* next = static_cast<const std::uint8_t*>(data);
    while (length != 0) {
        const std::int32_t sent = platform::sendSome(socket_, next, length);
        if (sent < 0) {
            throwSocketFailure();
        }
        next += sent;
        length -= static_cast<std::uint32_t>(sent);
    }
}

std::uint32_t TcpConnection::receiveSome(void* buffer, std::uint32_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    return receiveWithin(buffer, capacity, receiveWait());
}

std::uint32_t TcpConnection::receiveWithin(void* buffer, std::uint32_t capacity, std::uint32_t milliseconds) {
    // A failed wait goes on to the receive, which reports a broken or
    // closed socket itself.
    if (platform::waitReadable(socket_, milliseconds) == 0) {
        throw kLineTimeout;
    }
    const std::int32_t got = platform::receiveSome(socket_, buffer, capacity);
    if (got < 0) {
        throwSocketFailure();
    }
    if (got == 0) {
        // Closing the socket ourselves also ends the stream; that is a
        // cancellation, not the peer going away.
        throw aborted_ ? kQuietFailure : kConnectionFailure;
    }
    return static_cast<std::uint32_t>(got);
}

void TcpConnection::readLine(char* buffer, std::uint32_t size) {
    if (size == 0) {
        return;
    }
    const std::uint32_t start = elapsedMilliseconds();
    std::uint32_t stored = 0;
    std::uint32_t room = size - 1;
    while (room != 0) {
        const std::uint32_t elapsed = elapsedMilliseconds() - start;
        if (elapsed >= kLineBudgetMilliseconds) {
            throw kLineTimeout;
        }
        char byte;
        receiveWithin(&byte, 1, std::min(kLineBudgetMilliseconds - elapsed, receiveWait()));
        buffer[stored++] = byte;
        --room;
        if (byte == '\n') {
            break;
        }
    }
    buffer[stored] = '\0';
}

void TcpConnection::close() {
    aborted_ = true;
    if (!socketClosed_.exchange(true)) {
        platform::endSocket(socket_);
    }
}

std::uint32_t TcpConnection::resolve(const char* host) {
    std::uint32_t address = 0;
    if (platform::parseDottedQuad(host, address) || platform::lookUpHost(host, address)) {
        return address;
    }
    throw kConnectionFailure;
}

void TcpConnection::connectTo(const char* host, std::uint16_t port) {
    // A connection closed before it was made stays closed: a cancellation
    // must not be undone by the connect that it was meant to stop.
    if (socketClosed_) {
        throw kConnectionFailure;
    }
    aborted_ = false;
    try {
        if (!platform::connectSocket(socket_, resolve(host), port)) {
            throw kConnectionFailure;
        }
    } catch (FailureCode) {
        close();
        throw kConnectionFailure;
    }
}

}  // namespace tarnwick
