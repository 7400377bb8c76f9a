#pragma once

#include <cstdint>

#include "installer/core/Failure.h"

namespace tarnwick {

// The longest any peer may keep a receive waiting for its next byte.
inline constexpr std::uint32_t kDefaultIdleTimeout = 30000;

// One outgoing connection with blocking input and output. Every failure is
// thrown as a plain FailureCode: -1 when the peer closed the connection or it
// could not be made, -2 when it was closed under a pending call, -255 when a
// peer kept a receive waiting too long, a positive socket error code
// otherwise. An operation that returns has succeeded.
//
// Every wait for bytes is bounded, so that no peer can hold its caller for
// ever: each receive waits at most the idle timeout for its next byte, and
// while a deadline is set, no longer than the deadline either.
class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    virtual ~Connection() = default;

    virtual void sendAll(const void* data, std::uint32_t length) = 0;
    // At least one byte; a capacity of 0 returns 0 without touching the
    // connection.
    virtual std::uint32_t receiveSome(void* buffer, std::uint32_t capacity) = 0;
    // One line of at most size - 1 bytes, its line feed (and any carriage
    // return before it) included, NUL-terminated. size counts the NUL and is
    // at least 1. A longer line comes in pieces over several calls.
    virtual void readLine(char* buffer, std::uint32_t size) = 0;
    virtual void write(const void* data, std::uint32_t length) { sendAll(data, length); }
    // Ends the connection. Safe to call again, and from another thread while
    // a call is blocked on the connection: that call then fails with -2.
    virtual void close() = 0;
    // The IPv4 address (host byte order) of a dotted quad or a host name.
    virtual std::uint32_t resolve(const char* host) = 0;
    // Connects directly; on failure the connection is closed and -1 thrown.
    virtual void connectTo(const char* host, std::uint16_t port) = 0;

    // How long a receive may wait for the next byte; 30,000 ms unless set.
    void setIdleTimeout(std::uint32_t milliseconds) { idleTimeout_ = milliseconds; }
    // Bounds every receive, from now until clearDeadline, to the given time
    // in all: a peer that sends a byte now and then cannot stretch an
    // exchange that must be over by then.
    void setDeadline(std::uint32_t milliseconds);
    void clearDeadline() { deadlineSet_ = false; }

    void receiveExactly(void* buffer, std::uint32_t length);
    // Sends the text without its terminating NUL.
    void sendString(const char* text);
    // Connects directly or through the configured SOCKS proxy, and returns
    // when the connection is a byte stream to host and port. Every failure of
    // the proxy handshake is -1, but a proxy that keeps it waiting too long
    // (-255); a refusal the user can act on is alerted first.
    void open(const char* host, std::uint16_t port);

protected:
    // How long a receive that begins now may wait for a byte: the idle
    // timeout, cut to what is left of the deadline (0 once it has passed).
    std::uint32_t receiveWait() const;

private:
    std::uint32_t idleTimeout_ = kDefaultIdleTimeout;
    bool deadlineSet_ = false;
    std::uint32_t deadlineStart_ = 0;
    std::uint32_t deadlineLength_ = 0;
};

// Sets a deadline on a connection for the life of a scope: the exchange that
// the scope holds must be over within it.
class ScopedDeadline {
public:
    ScopedDeadline(Connection& connection, std::uint32_t milliseconds) : connection_(connection) {
        connection_.setDeadline(milliseconds);
    }
    ScopedDeadline(const ScopedDeadline&) = delete;
    ScopedDeadline& operator=(const ScopedDeadline&) = delete;
    ~ScopedDeadline() { connection_.clearDeadline(); }

private:
    Connection& connection_;
};

// Milliseconds since the first call in the process; correct across the wrap
// of the system's counter.
std::uint32_t elapsedMilliseconds();

}  // namespace tarnwick
