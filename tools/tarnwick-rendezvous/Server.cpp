#include "tools/tarnwick-rendezvous/Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "tools/tarnwick-rendezvous/DeadlineQueue.h"
#include "tools/tarnwick-rendezvous/Exchange.h"
#include "tools/tarnwick-rendezvous/MessageReader.h"

namespace tarnwick::rendezvous {

namespace {

// Descriptors the server needs besides its connections: the listeners, per
// loop its epoll instance, its spare and a stop signal, and a margin for the
// log and the standard streams.
std::size_t descriptorsBesideConnections(std::size_t listeners, unsigned loops) {
    return listeners + 3 * std::size_t{loops} + 16;
}

std::runtime_error systemFailure(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

// What an epoll event points at.
struct Watched {
    enum class Kind { kListener, kStop, kConnection };
    explicit Watched(Kind kind) : kind(kind) {}
    Kind kind;
};

}  // namespace

class Server::EventLoop {
public:
    EventLoop(Server& server, const std::vector<int>& stopFds);
    // Serves until one of the stop descriptors becomes readable, then cuts
    // the exchanges it still holds. Throws std::runtime_error when waiting
    // for events fails.
    void run();

private:
    struct Listener : Watched {
        Listener(int socket, const Scenario& scenario)
            : Watched(Kind::kListener), socket(socket), scenario(scenario) {}
        int socket;
        const Scenario& scenario;
    };

    struct Connection : Watched {
        Connection(Descriptor socket, const Scenario& scenario, std::string peer, std::mt19937& challenges)
            : Watched(Kind::kConnection),
              socket(std::move(socket)),
              exchange(scenario, std::move(peer), challenges) {}
        enum class Step { kReceive, kSend, kAwaitClose };

        Descriptor socket;
        Exchange exchange;
        Step step = Step::kReceive;
        MessageReader reader;
        std::vector<std::uint8_t> outbox;
        std::size_t sent = 0;
        Exchange::Then afterSend = Exchange::Then::kClose;
        Deadline<Connection> deadline;
        std::list<Connection>::iterator self;
    };

    void watch(int fd, std::uint32_t events, Watched* watched);
    int millisecondsToNextDeadline() const;
    void acceptFrom(const Listener& listener);
    void refuseForWantOfDescriptors(const Listener& listener);
    void advance(Connection& connection);
    void receive(Connection& connection);
    void send(Connection& connection);
    void awaitClose(Connection& connection);
    void end(Connection& connection, const char* ending);
    void flushLog();

    Server& server_;
    Descriptor epoll_;
    // Lets the loop refuse a connection when the process has no descriptor
    // left: closing it makes room to accept the connection and close it.
    Descriptor spare_;
    std::mt19937 challenges_{std::random_device{}()};
    Clock::time_point now_ = Clock::now();
    std::vector<Listener> listeners_;
    Watched stop_{Watched::Kind::kStop};
    bool stopping_ = false;
    std::string log_;
    // Declared before the connections, whose deadlines leave them on
    // destruction.
    DeadlineQueue<Connection> receiving_;
    DeadlineQueue<Connection> sending_;
    std::list<Connection> connections_;
};

Server::EventLoop::EventLoop(Server& server, const std::vector<int>& stopFds)
    : server_(server),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      spare_(::open("/dev/null", O_RDONLY | O_CLOEXEC)),
      receiving_(server.limits_.receiveTimeout),
      sending_(server.limits_.sendTimeout) {
    if (!epoll_) throw systemFailure("cannot create an epoll instance");
    listeners_.reserve(server.listeners_.size());
    for (std::size_t i = 0; i < server.listeners_.size(); ++i) {
        // Every loop watches every listener; an exclusive wait wakes one loop
        // per new connection rather than all of them.
        listeners_.emplace_back(server.listeners_[i].get(), server.scenarios_[i]);
        watch(listeners_.back().socket, EPOLLIN | EPOLLEXCLUSIVE, &listeners_.back());
    }
    for (int fd : stopFds)
        watch(fd, EPOLLIN, &stop_);
}

void Server::EventLoop::watch(int fd, std::uint32_t events, Watched* watched) {
    epoll_event event = {};
    event.events = events;
    event.data.ptr = watched;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0)
        throw systemFailure("cannot watch a socket");
}

void Server::EventLoop::run() {
    epoll_event events[256];
    while (!stopping_) {
        const int ready = ::epoll_wait(epoll_.get(), events, std::size(events), millisecondsToNextDeadline());
        if (ready < 0 && errno != EINTR) throw systemFailure("waiting for events failed");
        now_ = Clock::now();
        for (int i = 0; i < ready; ++i) {
            auto* watched = static_cast<Watched*>(events[i].data.ptr);
            switch (watched->kind) {
                case Watched::Kind::kListener:
                    acceptFrom(*static_cast<Listener*>(watched));
                    break;
                case Watched::Kind::kStop:
                    stopping_ = true;
                    break;
                case Watched::Kind::kConnection: {
                    auto& connection = *static_cast<Connection*>(watched);
                    if (events[i].events & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) connection.reader.noteHangUp();
                    advance(connection);
                    break;
                }
            }
        }
        // The ending names the option whose time ran out.
        while (Connection* late = receiving_.takeExpired(now_))
            end(*late, " receive-timeout");
        while (Connection* late = sending_.takeExpired(now_))
            end(*late, " send-timeout");
        flushLog();
    }
    while (!connections_.empty())
        end(connections_.front(), " stopped");
    flushLog();
}

int Server::EventLoop::millisecondsToNextDeadline() const {
    std::optional<Clock::time_point> next;
    for (const DeadlineQueue<Connection>* queue : {&receiving_, &sending_}) {
        const auto due = queue->nextDue();
        if (due && (!next || *due < *next)) next = due;
    }
    if (!next) return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(wait)>(wait, 0, INT32_MAX));
}

void Server::EventLoop::acceptFrom(const Listener& listener) {
    // A few at a time, so that one loop does not take a whole burst while
    // the others sit idle; the listener stays ready for the rest.
    for (int accepted = 0; accepted < 32; ++accepted) {
        sockaddr_in peer = {};
        socklen_t peerLength = sizeof peer;
        Descriptor socket(::accept4(listener.socket, reinterpret_cast<sockaddr*>(&peer), &peerLength,
                                    SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if ((errno == EMFILE || errno == ENFILE) && spare_) {
                refuseForWantOfDescriptors(listener);
                continue;
            }
            return;  // none left, or another loop took it
        }
        char peerText[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &peer.sin_addr, peerText, sizeof peerText);
        std::string peerName = std::string(peerText) + ":" + std::to_string(ntohs(peer.sin_port));

        if (server_.open_.fetch_add(1) >= server_.maxConnections_) {
            server_.open_.fetch_sub(1);
            log_ += listener.scenario.address + " " + peerName +
                    " refused: " + std::to_string(server_.maxConnections_) + " connections open\n";
            continue;
        }
        Connection* connection = nullptr;
        try {
            connection =
                &connections_.emplace_front(std::move(socket), listener.scenario, peerName, challenges_);
        } catch (const std::bad_alloc&) {
            server_.open_.fetch_sub(1);
            log_ += listener.scenario.address + " " + peerName + " refused: out of memory\n";
            continue;
        }
        connection->self = connections_.begin();
        connection->deadline.start(receiving_, *connection, now_);
        // Both directions, edge-triggered, so the connection is never
        // registered again; a hello that is here already is announced at
        // once. A step that starts to wait tries the socket first when the
        // reader may have left bytes in it (hasMore), so none is missed.
        epoll_event event = {};
        event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
        event.data.ptr = static_cast<Watched*>(connection);
        if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, connection->socket.get(), &event) != 0) {
            end(*connection, " failed: cannot watch the socket");
        }
    }
}

void Server::EventLoop::refuseForWantOfDescriptors(const Listener& listener) {
    spare_.reset();
    sockaddr_in peer = {};
    socklen_t peerLength = sizeof peer;
    Descriptor refused(
        ::accept4(listener.socket, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC));
    if (refused) {
        char peerText[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &peer.sin_addr, peerText, sizeof peerText);
        log_ += listener.scenario.address + " " + peerText + ":" + std::to_string(ntohs(peer.sin_port)) +
                " refused: out of descriptors\n";
    }
    refused.reset();
    spare_.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}

// Whatever woke the connection, its current step decides what to try; a
// step that cannot go on yet simply returns and waits for the next edge.
void Server::EventLoop::advance(Connection& connection) {
    try {
        switch (connection.step) {
            case Connection::Step::kReceive:
                receive(connection);
                break;
            case Connection::Step::kSend:
                send(connection);
                break;
            case Connection::Step::kAwaitClose:
                awaitClose(connection);
                break;
        }
    } catch (std::int32_t) {
        end(connection, " protocol-violation");
    } catch (const std::exception& error) {
        // Whatever else goes wrong ends this exchange only.
        const std::string ending = std::string(" failed: ") + error.what();
        end(connection, ending.c_str());
    }
}

void Server::EventLoop::receive(Connection& connection) {
    switch (connection.reader.readFrom(connection.socket.get())) {
        case MessageReader::Status::kWaiting:
            return;
        case MessageReader::Status::kClosed:
        case MessageReader::Status::kFailed:
            end(connection, " peer-gone");
            return;
        case MessageReader::Status::kComplete:
            break;
    }
    Exchange::Answer answer = connection.exchange.take(connection.reader.message());
    connection.reader.next();
    connection.outbox = std::move(answer.bytes);
    connection.sent = 0;
    connection.afterSend = answer.then;
    connection.step = Connection::Step::kSend;
    connection.deadline.start(sending_, connection, now_);
    send(connection);
}

void Server::EventLoop::send(Connection& connection) {
    while (connection.sent < connection.outbox.size()) {
        const ssize_t sent = ::send(connection.socket.get(), connection.outbox.data() + connection.sent,
                                    connection.outbox.size() - connection.sent, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            end(connection, " peer-gone");
            return;
        }
        connection.sent += static_cast<std::size_t>(sent);
    }
    connection.outbox = {};
    switch (connection.afterSend) {
        case Exchange::Then::kClose:
            end(connection, "");
            return;
        case Exchange::Then::kReceive:
            connection.step = Connection::Step::kReceive;
            connection.deadline.start(receiving_, connection, now_);
            if (connection.reader.hasMore()) receive(connection);
            return;
        case Exchange::Then::kAwaitClose:
            connection.step = Connection::Step::kAwaitClose;
            connection.deadline.start(receiving_, connection, now_);
            if (connection.reader.hasMore()) awaitClose(connection);
            return;
    }
}

void Server::EventLoop::awaitClose(Connection& connection) {
    std::uint8_t ignored[512];
    for (;;) {
        const ssize_t got = ::recv(connection.socket.get(), ignored, sizeof ignored, 0);
        if (got > 0 || (got < 0 && errno == EINTR)) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        end(connection, " peer-left");
        return;
    }
}

// The exchange's log line, ended by how it ended; then the connection closes.
void Server::EventLoop::end(Connection& connection, const char* ending) {
    log_ += connection.exchange.line();
    log_ += ending;
    log_ += '\n';
    server_.open_.fetch_sub(1);
    connections_.erase(connection.self);
}

void Server::EventLoop::flushLog() {
    if (log_.empty()) return;
    server_.writeLog(log_);
    log_.clear();
}

Server::Server(std::vector<Scenario> scenarios, std::FILE* log, Limits limits)
    : scenarios_(std::move(scenarios)),
      log_(log),
      limits_(limits),
      threads_(limits.threads ? limits.threads : std::max(1u, std::thread::hardware_concurrency())) {}

Server::~Server() = default;

void Server::listen() {
    rlimit descriptors = {};
    ::getrlimit(RLIMIT_NOFILE, &descriptors);
    const std::size_t reserved = descriptorsBesideConnections(scenarios_.size(), threads_);
    const std::size_t room = descriptors.rlim_cur == RLIM_INFINITY ? SIZE_MAX
                             : descriptors.rlim_cur > reserved     ? descriptors.rlim_cur - reserved
                                                                   : 1;
    if (limits_.maxConnections > room)
        throw std::runtime_error("a cap of " + std::to_string(limits_.maxConnections) +
                                 " connections does not fit the descriptor limit of " +
                                 std::to_string(descriptors.rlim_cur) + " (ulimit -n): at most " +
                                 std::to_string(room) + " do");
    maxConnections_ = limits_.maxConnections ? limits_.maxConnections : room;

    for (const Scenario& scenario : scenarios_) {
        Descriptor& socket =
            listeners_.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!socket) throw systemFailure("cannot create a socket");
        const int on = 1;
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        // Accepted connections inherit it: each reply leaves in one piece at once.
        ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(scenario.port);
        address.sin_addr.s_addr = htonl(parseIpv4(scenario.address));
        // A burst of installers waits in the system's queue (up to its own
        // limit, somaxconn) rather than being turned away.
        if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(socket.get(), SOMAXCONN) != 0)
            throw systemFailure("cannot listen on " + scenario.address + ":" + std::to_string(scenario.port));
    }
}

void Server::run(int stopFd) {
    // A loop that fails stops the others through this.
    Descriptor failed(::eventfd(0, EFD_CLOEXEC));
    if (!failed) throw systemFailure("cannot create an event descriptor");
    std::vector<std::unique_ptr<EventLoop>> loops;
    for (unsigned i = 0; i < threads_; ++i)
        loops.push_back(std::make_unique<EventLoop>(*this, std::vector<int>{stopFd, failed.get()}));

    std::mutex failureMutex;
    std::string failure;
    auto serve = [&](EventLoop& loop) {
        // Nothing may leave a thread: it would end the whole process.
        try {
            loop.run();
            return;
        } catch (const std::exception& error) {
            std::lock_guard lock(failureMutex);
            failure = std::string("an event loop failed: ") + error.what();
        } catch (...) {
            std::lock_guard lock(failureMutex);
            failure = "an event loop failed";
        }
        ::eventfd_write(failed.get(), 1);
    };
    std::vector<std::thread> threads;
    try {
        for (std::size_t i = 1; i < loops.size(); ++i)
            threads.emplace_back(serve, std::ref(*loops[i]));
    } catch (const std::system_error& error) {
        std::lock_guard lock(failureMutex);
        failure = std::string("cannot start an event loop: ") + error.what();
        ::eventfd_write(failed.get(), 1);
    }
    serve(*loops.front());
    for (std::thread& thread : threads)
        thread.join();
    listeners_.clear();
    if (!failure.empty()) throw std::runtime_error(failure);
}

void Server::writeLog(const std::string& lines) {
    std::lock_guard lock(logMutex_);
    std::fwrite(lines.data(), 1, lines.size(), log_);
    std::fflush(log_);
}

}  // namespace tarnwick::rendezvous
