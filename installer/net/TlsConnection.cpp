#include "installer/net/TlsConnection.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

namespace {

constexpr std::uint32_t kLineBudgetMilliseconds = 30000;

}  // namespace

TlsConnection::TlsConnection(std::unique_ptr<Connection> inner) : inner_(std::move(inner)) {}

// The session goes before the connection it runs over.
TlsConnection::~TlsConnection() {
    session_.reset();
}

bool TlsConnection::handshake(const char* host) {
    session_ = platform::startTlsSession(*this);
    if (session_ && session_->handshake(host)) return true;
    session_.reset();
    close();
    return false;
}

void TlsConnection::send(const void* data, std::uint32_t length) {
    inner_->sendAll(data, length);
}

std::uint32_t TlsConnection::receive(void* buffer, std::uint32_t capacity) {
    inner_->setIdleTimeout(std::min(innerWait_, receiveWait()));
    return inner_->receiveSome(buffer, capacity);
}

void TlsConnection::sendAll(const void* data, std::uint32_t length) {
    if (!session_ || !session_->send(data, length)) throw kConnectionFailure;
}

std::uint32_t TlsConnection::decrypt(void* buffer, std::uint32_t capacity, std::uint32_t bound) {
    if (!session_) throw kConnectionFailure;
    // The bound holds for the inner waits of this one receive only.
    innerWait_ = bound;
    const struct Restore {
        std::uint32_t& wait;
        ~Restore() { wait = UINT32_MAX; }
    } restore{innerWait_};
    const std::int32_t got = session_->receive(buffer, capacity);
    if (got <= 0) throw kConnectionFailure;
    return static_cast<std::uint32_t>(got);
}

std::uint32_t TlsConnection::receiveSome(void* buffer, std::uint32_t capacity) {
    if (capacity == 0) return 0;
    // A body goes straight into the caller's block, not through the buffer.
    if (plainStart_ == plainEnd_ && capacity >= sizeof plain_) return decrypt(buffer, capacity, UINT32_MAX);
    if (plainStart_ == plainEnd_) {
        plainEnd_ = decrypt(plain_, sizeof plain_, UINT32_MAX);
        plainStart_ = 0;
    }
    const std::uint32_t count = std::min(capacity, plainEnd_ - plainStart_);
    std::memcpy(buffer, plain_ + plainStart_, count);
    plainStart_ += count;
    return count;
}

void TlsConnection::readLine(char* buffer, std::uint32_t size) {
    if (size == 0) return;
    const std::uint32_t start = elapsedMilliseconds();
    std::uint32_t stored = 0;
    while (stored + 1 < size) {
        if (plainStart_ == plainEnd_) {
            const std::uint32_t elapsed = elapsedMilliseconds() - start;
            if (elapsed >= kLineBudgetMilliseconds) throw kLineTimeout;
            plainEnd_ = decrypt(plain_, sizeof plain_, kLineBudgetMilliseconds - elapsed);
            plainStart_ = 0;
        }
        const char byte = static_cast<char>(plain_[plainStart_++]);
        buffer[stored++] = byte;
        if (byte == '\n') break;
    }
    buffer[stored] = '\0';
}

void TlsConnection::close() {
    inner_->close();
}

std::uint32_t TlsConnection::resolve(const char* host) {
    return inner_->resolve(host);
}

void TlsConnection::connectTo(const char*, std::uint16_t) {
    throw kConnectionFailure;
}

}  // namespace tarnwick
