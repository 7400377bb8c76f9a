#pragma once

#include <atomic>

#include "installer/net/Connection.h"
#include "installer/platform/Socket.h"

namespace tarnwick {

// A Connection over one IPv4 TCP socket. One object serves one connection:
// once closed it cannot connect again, and an owner that needs another
// connection makes another object.
class TcpConnection final : public Connection {
public:
    // Throws -3 when the system gives no socket.
    TcpConnection();
    ~TcpConnection() override;

    void sendAll(const void* data, std::uint32_t length) override;
    // Waits for the first byte no longer than the idle timeout and the
    // deadline allow, else -255.
    std::uint32_t receiveSome(void* buffer, std::uint32_t capacity) override;
    // The whole line must arrive within 30,000 ms of the call, and each byte
    // within the idle timeout and the deadline, else -255.
    // Reads one byte per receive, so that nothing behind the line is taken
    // from the socket and a reader of raw bytes can take over after it.
    void readLine(char* buffer, std::uint32_t size) override;
    void close() override;
    std::uint32_t resolve(const char* host) override;
    void connectTo(const char* host, std::uint16_t port) override;

private:
    // One receive of at most capacity bytes (not 0) that waits for the first
    // of them at most the given time.
    std::uint32_t receiveWithin(void* buffer, std::uint32_t capacity, std::uint32_t milliseconds);
    // The code for a failed send or receive: a call that failed because the
    // connection was closed under it is a cancellation, not a socket error.
    [[noreturn]] void throwSocketFailure() const;

    const platform::SocketHandle socket_;
    // close() may run on another thread while a call is blocked here.
    std::atomic<bool> aborted_{false};
    std::atomic<bool> socketClosed_{false};
};

}  // namespace tarnwick
