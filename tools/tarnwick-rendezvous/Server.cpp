#include "tools/tarnwick-rendezvous/Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <list>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "installer/core/ByteOrder.h"
#include "installer/core/KeyedTransform.h"
#include "installer/core/RendezvousMessage.h"

namespace tarnwick::rendezvous {

namespace {

// How long an installer may keep the server waiting for its next message.
constexpr int kReceiveSeconds = 30;

std::mutex logMutex;

struct PeerGone {};

void sendBytes(int socket, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (length > 0) {
        const ssize_t sent = ::send(socket, bytes, length, MSG_NOSIGNAL);
        if (sent <= 0) throw PeerGone{};
        bytes += sent;
        length -= static_cast<std::size_t>(sent);
    }
}

void sendMessage(int socket, const std::vector<std::uint8_t>& message) {
    sendBytes(socket, message.data(), message.size());
}

void receiveBytes(int socket, void* data, std::uint32_t length) {
    auto* bytes = static_cast<std::uint8_t*>(data);
    while (length > 0) {
        const ssize_t got = ::recv(socket, bytes, length, 0);
        if (got <= 0) throw PeerGone{};
        bytes += got;
        length -= static_cast<std::uint32_t>(got);
    }
}

std::uint32_t drawChallenge() {
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard lock(mutex);
    return static_cast<std::uint32_t>(generator());
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

}  // namespace

struct Server::Exchange {
    std::thread thread;
    int socket;
    bool done = false;
};

Server::Server(std::vector<Scenario> scenarios, std::FILE* log)
    : scenarios_(std::move(scenarios)), log_(log) {}

Server::~Server() {
    for (int socket : listeners_)
        ::close(socket);
}

void Server::listen() {
    for (const Scenario& scenario : scenarios_) {
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0) throw std::runtime_error("cannot create a socket");
        listeners_.push_back(socket);
        const int on = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(scenario.port);
        address.sin_addr.s_addr = htonl(parseIpv4(scenario.address));
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(socket, 64) != 0)
            throw std::runtime_error("cannot listen on " + scenario.address + ":" +
                                     std::to_string(scenario.port) + ": " + std::strerror(errno));
    }
}

void Server::logLine(const std::string& line) {
    std::lock_guard lock(logMutex);
    std::fprintf(log_, "%s\n", line.c_str());
    std::fflush(log_);
}

void Server::run(int stopFd) {
    std::vector<pollfd> watched;
    for (int socket : listeners_)
        watched.push_back({socket, POLLIN, 0});
    watched.push_back({stopFd, POLLIN, 0});
    std::list<Exchange> exchanges;
    std::mutex exchangesMutex;

    for (;;) {
        if (::poll(watched.data(), watched.size(), 1000) < 0 && errno != EINTR) break;
        if (watched.back().revents) break;
        {
            // Finished exchanges are joined as the loop comes by.
            std::lock_guard lock(exchangesMutex);
            for (auto it = exchanges.begin(); it != exchanges.end();) {
                if (it->done) {
                    it->thread.join();
                    it = exchanges.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (std::size_t i = 0; i + 1 < watched.size(); ++i) {
            if (!(watched[i].revents & POLLIN)) continue;
            sockaddr_in peer = {};
            socklen_t peerLength = sizeof peer;
            const int socket =
                ::accept4(watched[i].fd, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC);
            if (socket < 0) continue;
            const int on = 1;
            ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            timeval timeout = {kReceiveSeconds, 0};
            ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            char peerText[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &peer.sin_addr, peerText, sizeof peerText);
            const std::string peerName = std::string(peerText) + ":" + std::to_string(ntohs(peer.sin_port));

            std::lock_guard lock(exchangesMutex);
            Exchange& exchange = exchanges.emplace_back();
            exchange.socket = socket;
            const Scenario& scenario = scenarios_[i];
            try {
                exchange.thread =
                    std::thread([this, &scenario, socket, peerName, &exchange, &exchangesMutex] {
                        serve(scenario, socket, peerName);
                        std::lock_guard done(exchangesMutex);
                        ::close(socket);
                        exchange.done = true;
                    });
            } catch (const std::system_error&) {
                // No thread to spare: this installer is turned away, the
                // others go on being served.
                ::close(socket);
                exchanges.pop_back();
                logLine(scenario.address + " " + peerName + " refused: no thread");
            }
        }
    }

    // Stop: no new installers; the open exchanges are cut short, which ends
    // their blocking receives at once.
    for (int socket : listeners_)
        ::close(socket);
    listeners_.clear();
    {
        std::lock_guard lock(exchangesMutex);
        for (auto& exchange : exchanges)
            if (!exchange.done) ::shutdown(exchange.socket, SHUT_RDWR);
    }
    for (auto& exchange : exchanges)
        exchange.thread.join();
}

// One exchange, from the installer's hello to the last reply. Each step is
// written down in the log line, whatever ends the exchange.
void Server::serve(const Scenario& scenario, int socket, const std::string& peer) {
    std::ostringstream line;
    line << scenario.address << " " << peer;
    auto receive = [socket](void* bytes, std::uint32_t count) { receiveBytes(socket, bytes, count); };
    using Hello = Scenario::HelloReply;
    using Final = Scenario::FinalReply;
    try {
        RendezvousMessage hello;
        receiveMessage(receive, hello);
        if (hello.type != kMsgHello || hello.length != 12 || hello.word(0) != kHelloWord0 ||
            hello.word(1) != kHelloWord1) {
            line << " bad-hello type=" << hello.type << " length=" << hello.length;
            logLine(line.str());
            return;
        }
        const std::uint32_t challenge = hello.word(2);
        const std::uint32_t proof = keyedTransform(challenge);
        line << " hello challenge=" << hex(challenge);

        for (int i = 0; i < scenario.skips; ++i)
            sendMessage(socket, encodeMessage(kMsgSkip, {}));
        if (scenario.skips) line << " skip=" << scenario.skips;

        switch (scenario.helloReply) {
            case Hello::kRedirect:
                sendMessage(socket,
                            encodeMessage(kMsgRedirect, {scenario.wrongRedirectProof ? proof + 1 : proof,
                                                         parseIpv4(scenario.redirectTo)}));
                line << " redirect=" << scenario.redirectTo
                     << (scenario.wrongRedirectProof ? " proof=wrong" : "");
                logLine(line.str());
                return;
            case Hello::kServiceUnavailable:
                sendMessage(socket, encodeMessage(kMsgServiceUnavailable, {}));
                line << " reply=54";
                logLine(line.str());
                return;
            case Hello::kOther:
                sendMessage(socket, encodeMessage(scenario.helloReplyType, {}));
                line << " reply=" << scenario.helloReplyType;
                logLine(line.str());
                return;
            case Hello::kOversized: {
                std::vector<std::uint8_t> message = encodeMessage(kMsgChallenge, {});
                storeBigEndian32(message.data() + 4, kMessageBodyCapacity + 1);
                message.resize(message.size() + kMessageBodyCapacity + 1, 0xEE);
                sendMessage(socket, message);
                line << " reply=84 length=" << kMessageBodyCapacity + 1;
                logLine(line.str());
                return;
            }
            case Hello::kShortBody:
                sendMessage(socket, encodeMessage(kMsgChallenge, {0, scenario.version}));
                line << " reply=84 length=8";
                logLine(line.str());
                return;
            case Hello::kSilent: {
                line << " silent";
                std::uint8_t ignored;
                // Until the installer gives up (or the receive time-out ends it).
                while (::recv(socket, &ignored, 1, 0) > 0) {
                }
                line << " peer-left";
                logLine(line.str());
                return;
            }
            case Hello::kChallenge:
                break;
        }

        const std::uint32_t serverChallenge = drawChallenge();
        sendMessage(socket, encodeMessage(kMsgChallenge, {0, scenario.version,
                                                          scenario.wrongChallengeProof ? proof + 1 : proof,
                                                          serverChallenge}));
        line << " challenge=" << hex(serverChallenge) << (scenario.wrongChallengeProof ? " proof=wrong" : "");

        RendezvousMessage response;
        receiveMessage(receive, response);
        if (response.type != kMsgResponse || response.length != 4 ||
            response.word(0) != keyedTransform(serverChallenge)) {
            line << " response=wrong";
            logLine(line.str());
            return;
        }
        line << " response=ok";

        switch (scenario.finalReply) {
            case Final::kOffer:
                sendMessage(socket, encodeShortStringMessage(kMsgUpdateOffer, scenario.url.c_str()));
                line << " offer=" << scenario.url << " version=" << scenario.version;
                break;
            case Final::kEmptyOffer:
                sendMessage(socket, encodeShortStringMessage(kMsgUpdateOffer, ""));
                line << " offer=(empty)";
                break;
            case Final::kAutoUpdateProblem:
                sendMessage(socket, encodeMessage(kMsgAutoUpdateProblem, {}));
                line << " reply=124";
                break;
            case Final::kNoUpdate:
                sendMessage(socket, encodeMessage(kMsgNoUpdate, {}));
                line << " reply=58";
                break;
            case Final::kOther:
                sendMessage(socket, encodeMessage(scenario.finalReplyType, {}));
                line << " reply=" << scenario.finalReplyType;
                break;
        }
        logLine(line.str());
    } catch (PeerGone) {
        line << " peer-gone";
        logLine(line.str());
    } catch (std::int32_t) {
        line << " protocol-violation";
        logLine(line.str());
    } catch (const std::exception& error) {
        // Whatever else goes wrong ends this exchange only: an exception
        // that left the thread would end the whole server.
        line << " failed: " << error.what();
        logLine(line.str());
    }
}

}  // namespace tarnwick::rendezvous
