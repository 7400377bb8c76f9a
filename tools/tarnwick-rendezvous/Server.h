#pragma once

#include <cstdio>
#include <vector>

#include "tools/tarnwick-rendezvous/Scenario.h"

namespace tarnwick::rendezvous {

// Listens on every scenario's address and serves each installer that
// connects on a thread of its own, with one log line per exchange. run
// returns when stopFd becomes readable: listeners close, open exchanges are
// cut, and every thread is joined.
class Server {
public:
    Server(std::vector<Scenario> scenarios, std::FILE* log);
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    ~Server();

    // Throws std::runtime_error when an address cannot be bound.
    void listen();
    void run(int stopFd);

private:
    struct Listener;
    struct Exchange;
    void serve(const Scenario& scenario, int socket, const std::string& peer);
    void logLine(const std::string& line);

    std::vector<Scenario> scenarios_;
    std::vector<int> listeners_;
    std::FILE* log_;
};

}  // namespace tarnwick::rendezvous
