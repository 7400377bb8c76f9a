#pragma once

#include <cstdint>
#include <memory>

#include "installer/net/Connection.h"
#include "installer/platform/Tls.h"

namespace tarnwick {

// A Connection that runs TLS over another, already open one: direct, through
// a SOCKS proxy or through an HTTP proxy's tunnel. It fails as its inner
// connection does; a session that fails, or that the server ends (with or
// without its closing alert), is -1 like a peer that closed, so that a body
// is complete only by its own framing. The idle timeout and the deadline
// bound each wait of the inner connection.
class TlsConnection final : public Connection, private platform::TlsTransport {
public:
    explicit TlsConnection(std::unique_ptr<Connection> inner);
    ~TlsConnection() override;

    // Negotiates TLS with host and checks its certificate. False when no
    // session came about or the server's identity could not be verified; the
    // connection is then closed.
    [[nodiscard]] bool handshake(const char* host);

    void sendAll(const void* data, std::uint32_t length) override;
    std::uint32_t receiveSome(void* buffer, std::uint32_t capacity) override;
    // The whole line must arrive within 30,000 ms of the call, as on a TCP
    // connection.
    void readLine(char* buffer, std::uint32_t size) override;
    void close() override;
    std::uint32_t resolve(const char* host) override;
    // The inner connection is already made; connecting again is -1.
    void connectTo(const char* host, std::uint16_t port) override;

private:
    void send(const void* data, std::uint32_t length) override;
    std::uint32_t receive(void* buffer, std::uint32_t capacity) override;
    // At least one byte of plaintext into buffer; each wait for the server
    // lasts at most bound besides the idle timeout and the deadline. Any end
    // of the session is -1.
    std::uint32_t decrypt(void* buffer, std::uint32_t capacity, std::uint32_t bound);

    std::unique_ptr<Connection> inner_;
    std::unique_ptr<platform::TlsSession> session_;
    // A bound on the inner connection's waits besides this connection's own
    // idle timeout and deadline: what is left of a line's time.
    std::uint32_t innerWait_ = UINT32_MAX;
    std::uint8_t plain_[16384];
    std::uint32_t plainStart_ = 0;
    std::uint32_t plainEnd_ = 0;
};

}  // namespace tarnwick
