#include "tools/tarnwick-rendezvous-load/LoadRun.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

#include "installer/core/KeyedTransform.h"
#include "installer/core/RendezvousMessage.h"
#include "tools/tarnwick-rendezvous/DeadlineQueue.h"
#include "tools/tarnwick-rendezvous/Descriptor.h"
#include "tools/tarnwick-rendezvous/MessageReader.h"

namespace tarnwick::rendezvous {

const char* loadErrorName(LoadError error) {
    switch (error) {
        case LoadError::kConnectRefused:
            return "connect-refused";
        case LoadError::kConnectFailed:
            return "connect-failed";
        case LoadError::kReset:
            return "reset";
        case LoadError::kClosed:
            return "closed";
        case LoadError::kTimedOut:
            return "timed-out";
        case LoadError::kOversized:
            return "oversized";
        case LoadError::kBadProof:
            return "bad-proof";
        case LoadError::kWrongVersion:
            return "wrong-version";
        case LoadError::kUnexpectedReply:
            return "unexpected-reply";
        case LoadError::kWrongOffer:
            return "wrong-offer";
        case LoadError::kCount:
            break;
    }
    return "?";
}

namespace {

std::runtime_error systemFailure(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

// What the loops of a run share.
struct Shared {
    const LoadPlan& plan;
    sockaddr_in server;
    Clock::time_point end;  // no exchange starts later, when the plan runs for a time
    std::atomic<std::uint64_t> started{0};

    bool mayStart(Clock::time_point now) {
        if (plan.count) return started.fetch_add(1, std::memory_order_relaxed) < plan.count;
        return now < end;
    }
};

// Clients on one epoll loop. Each client performs one exchange after the
// other on a fresh connection, the installer's steps in order, and checks
// every reply as the installer would.
class ClientLoop {
public:
    ClientLoop(Shared& shared, unsigned clients);
    // Until every client has retired: the time is up or the count reached.
    // Throws std::runtime_error when waiting for events fails.
    void run();
    LoadResult& result() { return result_; }
    Clock::time_point lastEnd() const { return lastEnd_; }

private:
    struct Client {
        enum class Step { kConnecting, kAwaitChallenge, kAwaitOffer };
        Descriptor socket;
        Step step = Step::kConnecting;
        std::uint32_t challenge = 0;
        bool skipped = false;
        Clock::time_point started;
        MessageReader reader;
        Deadline<Client> deadline;
    };

    void start(Client& client);
    void advance(Client& client);
    enum class Hello { kSent, kNotConnectedYet, kFailed };
    Hello sendHello(Client& client);
    [[nodiscard]] bool takeChallenge(Client& client, const RendezvousMessage& challenge);
    void takeOffer(Client& client, const RendezvousMessage& offer);
    void succeed(Client& client);
    void fail(Client& client, LoadError error);
    void finish(Client& client);

    Shared& shared_;
    Descriptor epoll_;
    std::mt19937 challenges_{std::random_device{}()};
    Clock::time_point now_ = Clock::now();
    Clock::time_point lastEnd_ = now_;
    LoadResult result_;
    // Declared before the clients, whose deadlines leave it on destruction.
    DeadlineQueue<Client> timeouts_;
    std::vector<std::unique_ptr<Client>> clients_;
    // Clients whose exchange ended, to start again at the top of the loop:
    // starting at once would recurse for as long as connecting fails at once.
    std::vector<Client*> toStart_;
    unsigned active_ = 0;
};

ClientLoop::ClientLoop(Shared& shared, unsigned clients)
    : shared_(shared), epoll_(::epoll_create1(EPOLL_CLOEXEC)), timeouts_(shared.plan.timeout) {
    if (!epoll_) throw systemFailure("cannot create an epoll instance");
    for (unsigned i = 0; i < clients; ++i) {
        clients_.push_back(std::make_unique<Client>());
        toStart_.push_back(clients_.back().get());
    }
    active_ = clients;
}

void ClientLoop::run() {
    epoll_event events[256];
    while (active_ > 0) {
        std::vector<Client*> starting;
        starting.swap(toStart_);
        for (Client* client : starting)
            start(*client);
        if (active_ == 0) break;

        int wait = -1;
        if (!toStart_.empty()) {
            wait = 0;
        } else if (const auto due = timeouts_.nextDue()) {
            wait = static_cast<int>(std::max<std::int64_t>(
                0, std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()).count()));
        }
        const int ready = ::epoll_wait(epoll_.get(), events, std::size(events), wait);
        if (ready < 0 && errno != EINTR) throw systemFailure("waiting for events failed");
        now_ = Clock::now();
        for (int i = 0; i < ready; ++i) {
            auto& client = *static_cast<Client*>(events[i].data.ptr);
            if (events[i].events & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) client.reader.noteHangUp();
            advance(client);
        }
        while (Client* late = timeouts_.takeExpired(now_))
            fail(*late, LoadError::kTimedOut);
    }
}

void ClientLoop::start(Client& client) {
    if (!shared_.mayStart(now_)) {
        --active_;
        return;
    }
    client.started = Clock::now();
    client.step = Client::Step::kConnecting;
    client.skipped = false;
    client.challenge = static_cast<std::uint32_t>(challenges_());
    client.reader.clear();
    client.deadline.start(timeouts_, client, now_);
    // No TCP_NODELAY, unlike the installer: each side sends only once it has
    // the other's message, which acknowledges its own, so Nagle never holds
    // a message back, and the generator spares the call.
    client.socket.reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!client.socket) {
        fail(client, LoadError::kConnectFailed);
        return;
    }
    const auto* server = reinterpret_cast<const sockaddr*>(&shared_.server);
    if (::connect(client.socket.get(), server, sizeof shared_.server) != 0 && errno != EINPROGRESS) {
        fail(client, errno == ECONNREFUSED ? LoadError::kConnectRefused : LoadError::kConnectFailed);
        return;
    }
    // Over loopback the handshake is mostly over when connect returns, and
    // the hello leaves at once; otherwise it waits for the connection's
    // event, the only time the connection is watched for room to write.
    const Hello hello = sendHello(client);
    if (hello == Hello::kFailed) return;
    // Edge-triggered and registered once: a step that starts to wait tries
    // the socket first when the reader may have left bytes in it (hasMore),
    // so no readiness is missed.
    epoll_event event = {};
    event.events = EPOLLIN | EPOLLRDHUP | EPOLLET | (hello == Hello::kSent ? 0u : std::uint32_t{EPOLLOUT});
    event.data.ptr = &client;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, client.socket.get(), &event) != 0)
        fail(client, LoadError::kConnectFailed);
}

ClientLoop::Hello ClientLoop::sendHello(Client& client) {
    const auto hello = encodeHello(client.challenge);
    const ssize_t sent = ::send(client.socket.get(), hello.data(), hello.size(), MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(hello.size())) {
        client.step = Client::Step::kAwaitChallenge;
        return Hello::kSent;
    }
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Hello::kNotConnectedYet;
    fail(client, sent < 0 && errno == ECONNREFUSED ? LoadError::kConnectRefused : LoadError::kReset);
    return Hello::kFailed;
}

void ClientLoop::advance(Client& client) {
    if (client.step == Client::Step::kConnecting) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(client.socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
        if (error) {
            fail(client, error == ECONNREFUSED ? LoadError::kConnectRefused : LoadError::kConnectFailed);
            return;
        }
        // The same event may also announce the server's first bytes, or its
        // hanging up: read on once the hello is out.
        if (sendHello(client) != Hello::kSent) return;
    }
    for (;;) {
        MessageReader::Status status;
        try {
            status = client.reader.readFrom(client.socket.get());
        } catch (std::int32_t) {
            fail(client, LoadError::kOversized);
            return;
        }
        switch (status) {
            case MessageReader::Status::kWaiting:
                return;
            case MessageReader::Status::kClosed:
                fail(client, LoadError::kClosed);
                return;
            case MessageReader::Status::kFailed:
                fail(client, LoadError::kReset);
                return;
            case MessageReader::Status::kComplete:
                break;
        }
        const RendezvousMessage& message = client.reader.message();
        // One message 1 may come before the reply to the hello; the
        // installer reads on in its place, once.
        if (client.step == Client::Step::kAwaitChallenge && message.type == kMsgSkip && !client.skipped) {
            client.skipped = true;
            client.reader.next();
            continue;
        }
        if (client.step == Client::Step::kAwaitOffer) {
            takeOffer(client, message);
            return;
        }
        if (!takeChallenge(client, message) || !client.reader.hasMore()) return;
    }
}

// True when the response is sent and the offer awaited.
bool ClientLoop::takeChallenge(Client& client, const RendezvousMessage& challenge) {
    if (challenge.type != kMsgChallenge || challenge.length < 16) {
        fail(client, LoadError::kUnexpectedReply);
        return false;
    }
    if (challenge.word(2) != keyedTransform(client.challenge)) {
        fail(client, LoadError::kBadProof);
        return false;
    }
    if (shared_.plan.version && challenge.word(1) != *shared_.plan.version) {
        fail(client, LoadError::kWrongVersion);
        return false;
    }
    const auto response = encodeResponse(challenge.word(3));
    client.reader.next();
    // A few bytes on a socket with nothing queued: they leave whole, or the
    // connection is broken.
    if (::send(client.socket.get(), response.data(), response.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(response.size())) {
        fail(client, LoadError::kReset);
        return false;
    }
    client.step = Client::Step::kAwaitOffer;
    return true;
}

void ClientLoop::takeOffer(Client& client, const RendezvousMessage& offer) {
    if (offer.type != kMsgUpdateOffer || offer.length < 1 || offer.length - 1 < offer.body[0]) {
        fail(client, LoadError::kUnexpectedReply);
        return;
    }
    char url[256];
    offer.shortString(url);
    if (!url[0] || (!shared_.plan.offer.empty() && shared_.plan.offer != url)) {
        fail(client, LoadError::kWrongOffer);
        return;
    }
    succeed(client);
}

void ClientLoop::succeed(Client& client) {
    ++result_.exchanges;
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - client.started);
    result_.latencies.push_back(static_cast<std::uint32_t>(std::min<std::int64_t>(took.count(), UINT32_MAX)));
    finish(client);
}

void ClientLoop::fail(Client& client, LoadError error) {
    ++result_.errors[static_cast<std::size_t>(error)];
    finish(client);
}

void ClientLoop::finish(Client& client) {
    client.deadline.cancel();
    client.socket.reset();
    lastEnd_ = Clock::now();
    toStart_.push_back(&client);
}

// Opens count connections that say nothing; throws std::runtime_error when
// one cannot be made.
std::vector<Descriptor> openIdle(const sockaddr_in& server, unsigned count) {
    std::vector<Descriptor> idle;
    idle.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!socket ||
            ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
            throw systemFailure("idle connection " + std::to_string(i + 1) + " of " + std::to_string(count));
        idle.push_back(std::move(socket));
    }
    return idle;
}

// Whether the server has ended an idle connection: its end of stream (or a
// reset) is waiting to be read.
bool droppedByServer(const Descriptor& socket) {
    std::uint8_t byte;
    const ssize_t got = ::recv(socket.get(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

}  // namespace

LoadResult runLoad(const LoadPlan& plan) {
    Shared shared{plan, {}, {}};
    shared.server.sin_family = AF_INET;
    shared.server.sin_port = htons(plan.port);
    shared.server.sin_addr.s_addr = htonl(plan.address);

    const std::vector<Descriptor> idle = openIdle(shared.server, plan.idle);

    const unsigned threads = std::max(1u, std::min(plan.threads, plan.clients));
    std::vector<std::unique_ptr<ClientLoop>> loops;
    for (unsigned i = 0; i < threads; ++i)
        loops.push_back(
            std::make_unique<ClientLoop>(shared, plan.clients / threads + (i < plan.clients % threads)));

    const auto begin = Clock::now();
    shared.end = begin + plan.duration;
    std::mutex failureMutex;
    std::string failure;
    auto drive = [&](ClientLoop& loop) {
        // Nothing may leave a thread: it would end the whole process.
        try {
            loop.run();
        } catch (const std::exception& error) {
            std::lock_guard lock(failureMutex);
            failure = error.what();
        }
    };
    {
        std::vector<std::jthread> running;
        for (std::size_t i = 1; i < loops.size(); ++i)
            running.emplace_back(drive, std::ref(*loops[i]));
        drive(*loops.front());
    }
    if (!failure.empty()) throw std::runtime_error(failure);

    LoadResult total;
    Clock::time_point lastEnd = begin;
    for (const auto& loop : loops) {
        LoadResult& part = loop->result();
        total.exchanges += part.exchanges;
        total.latencies.insert(total.latencies.end(), part.latencies.begin(), part.latencies.end());
        for (std::size_t kind = 0; kind < total.errors.size(); ++kind)
            total.errors[kind] += part.errors[kind];
        lastEnd = std::max(lastEnd, loop->lastEnd());
    }
    total.elapsed = lastEnd - begin;
    total.idleOpened = plan.idle;
    total.idleDropped = static_cast<unsigned>(std::count_if(idle.begin(), idle.end(), droppedByServer));
    return total;
}

}  // namespace tarnwick::rendezvous
