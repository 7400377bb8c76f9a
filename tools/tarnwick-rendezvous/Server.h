#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <vector>

#include "tools/tarnwick-rendezvous/Descriptor.h"
#include "tools/tarnwick-rendezvous/Scenario.h"

namespace tarnwick::rendezvous {

// How long installers may take, and how many the server holds at once.
struct Limits {
    // Each message of an installer must have arrived whole this long after
    // the server began to wait for it, so a client that stays silent or
    // sends a byte now and then is dropped.
    std::chrono::milliseconds receiveTimeout{30000};
    // Each reply must have been taken whole by the installer within this
    // time (the system's buffers hide all but very long replies).
    std::chrono::milliseconds sendTimeout{30000};
    // Open connections at most; one more is accepted and closed at once, so
    // that the installer learns it at once instead of waiting in the queue.
    // 0: as many as the descriptor limit leaves room for.
    std::size_t maxConnections = 0;
    // Event loops, each on a thread of its own; 0: one per core.
    unsigned threads = 0;
};

// Listens on every scenario's address and serves the installers that connect
// on a few event loops that share the listening sockets, with one log line
// per exchange (and per refused connection). A connection costs a socket and
// about a kilobyte, never a thread, so that silent clients cannot exhaust the
// server. run returns when stopFd becomes readable: the listeners close and
// the open exchanges are cut short.
class Server {
public:
    Server(std::vector<Scenario> scenarios, std::FILE* log, Limits limits = {});
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    ~Server();

    // Throws std::runtime_error when an address cannot be bound, or when the
    // cap on connections does not fit the process's descriptor limit.
    void listen();
    // Throws std::runtime_error when an event loop cannot be set up or fails
    // (after stopping the others).
    void run(int stopFd);

private:
    class EventLoop;

    void writeLog(const std::string& lines);

    std::vector<Scenario> scenarios_;
    std::FILE* log_;
    Limits limits_;
    unsigned threads_;
    std::size_t maxConnections_ = 0;
    std::vector<Descriptor> listeners_;
    std::atomic<std::size_t> open_{0};
    std::mutex logMutex_;
};

}  // namespace tarnwick::rendezvous
