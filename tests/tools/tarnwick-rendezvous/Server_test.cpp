#include "tools/tarnwick-rendezvous/Server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "installer/core/ByteOrder.h"
#include "installer/core/KeyedTransform.h"
#include "installer/core/RendezvousMessage.h"
#include "tests/support/ScratchDir.h"
#include "tests/tools/tarnwick-rendezvous/RunningServer.h"
#include "tools/tarnwick-rendezvous/Descriptor.h"
#include "tools/tarnwick-rendezvous/Scenario.h"

namespace tarnwick::rendezvous {
namespace {

// The message parseScenario refuses these options with, or "" when it takes them.
std::string refusal(const std::vector<std::string>& args) {
    try {
        parseScenario(args);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

// A server that took such a value would fail only once an installer came.
TEST(ScenarioOptions, RefuseAddressesPortsAndUrlsTheServerCouldNotUse) {
    for (const char* bad : {"10.0.0", "1.2.3.256", "rendezvous.example", "", "1.2.3.4 "}) {
        EXPECT_NE(refusal({"--redirect", bad}).find("--redirect: not an IPv4 address"), std::string::npos)
            << bad;
        EXPECT_NE(refusal({"--address", bad}).find("--address: not an IPv4 address"), std::string::npos)
            << bad;
    }
    EXPECT_EQ(refusal({"--port", "0"}), "--port takes 1 to 65535");
    EXPECT_EQ(refusal({"--port", "65536"}), "--port takes 1 to 65535");
    EXPECT_EQ(refusal({"--offer", std::string(256, 'u')}), "--offer takes a URL of at most 255 bytes");
    EXPECT_EQ(refusal({"--redirect"}), "--redirect needs a value");
}

TEST(ScenarioOptions, TakeWhatTheServerCanUse) {
    const Scenario scenario = parseScenario({"--address", "127.0.7.9", "--port", "65535", "--redirect",
                                             "10.1.2.3", "--offer", std::string(255, 'u')});
    EXPECT_EQ(scenario.address, "127.0.7.9");
    EXPECT_EQ(scenario.port, 65535);
    EXPECT_EQ(scenario.helloReply, Scenario::HelloReply::kRedirect);
    EXPECT_EQ(scenario.redirectTo, "10.1.2.3");
    EXPECT_EQ(scenario.url.size(), 255u);
    EXPECT_EQ(parseIpv4("10.1.2.3"), 0x0A010203u);
}

// Connects to address:16000, sends a hello and reads until the server
// closes; what it sent back.
std::vector<std::uint8_t> helloExchange(const char* address) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(16000);
    ::inet_pton(AF_INET, address, &peer.sin_addr);
    std::vector<std::uint8_t> reply;
    if (::connect(socket, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) {
        const auto hello = encodeHello(0x12345678);
        if (::send(socket, hello.data(), hello.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(hello.size())) {
            std::uint8_t buffer[256];
            for (ssize_t got; (got = ::recv(socket, buffer, sizeof buffer, 0)) > 0;)
                reply.insert(reply.end(), buffer, buffer + got);
        }
    }
    ::close(socket);
    return reply;
}

// A scenario that fails while serving an installer (here a redirect the
// parser would have refused) ends that exchange, in the log, and the server
// goes on serving the next installer.
TEST(RendezvousServer, AFailingExchangeEndsOnlyItself) {
    const test::ScratchDir scratch;
    const std::string logPath = scratch.file("log");
    std::FILE* log = std::fopen(logPath.c_str(), "w");
    ASSERT_NE(log, nullptr);

    Scenario broken;
    broken.address = "127.0.7.1";
    broken.helloReply = Scenario::HelloReply::kRedirect;
    broken.redirectTo = "nowhere";
    Scenario working;
    working.address = "127.0.7.2";
    working.helloReply = Scenario::HelloReply::kServiceUnavailable;

    int stop[2];
    ASSERT_EQ(::pipe(stop), 0);
    {
        Server server({broken, working}, log);
        server.listen();
        std::thread serving([&] { server.run(stop[0]); });

        EXPECT_TRUE(helloExchange("127.0.7.1").empty());
        const std::vector<std::uint8_t> reply = helloExchange("127.0.7.2");
        EXPECT_EQ(reply, encodeMessage(kMsgServiceUnavailable, {}));

        const char byte = 1;
        EXPECT_EQ(::write(stop[1], &byte, 1), 1);
        serving.join();
    }
    ::close(stop[0]);
    ::close(stop[1]);
    std::fclose(log);

    std::ifstream in(logPath);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("127.0.7.1 127.0.0.1:"), std::string::npos) << text;
    EXPECT_NE(text.find("failed: not an IPv4 address (A.B.C.D): nowhere"), std::string::npos) << text;
    EXPECT_NE(text.find("127.0.7.2 "), std::string::npos) << text;
    EXPECT_NE(text.find(" reply=54"), std::string::npos) << text;
}

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Scenario offering(const char* address, int skips = 0) {
    Scenario scenario;
    scenario.address = address;
    scenario.url = "http://127.0.7.9/update.bin";
    scenario.version = 7;
    scenario.skips = skips;
    return scenario;
}

Descriptor connectTo(const char* address, int receiveBuffer = 0) {
    Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (receiveBuffer)
        ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(16000);
    ::inet_pton(AF_INET, address, &peer.sin_addr);
    EXPECT_EQ(::connect(socket.get(), reinterpret_cast<sockaddr*>(&peer), sizeof peer), 0) << address;
    return socket;
}

// How the server names this connection in its log, after the listening address.
std::string logName(const Descriptor& socket) {
    sockaddr_in self = {};
    socklen_t length = sizeof self;
    ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&self), &length);
    return "127.0.0.1:" + std::to_string(ntohs(self.sin_port));
}

// True when the server ends the connection (an end of stream or a reset)
// within the time given, whatever it sent before.
bool endsWithin(const Descriptor& socket, std::chrono::milliseconds time) {
    const auto until = Clock::now() + time;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        pollfd watched = {socket.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) != 1) return false;
        std::uint8_t ignored[4096];
        if (::recv(socket.get(), ignored, sizeof ignored, 0) <= 0) return true;
    }
}

void sendAll(const Descriptor& socket, const std::uint8_t* bytes, std::size_t count) {
    ASSERT_EQ(::send(socket.get(), bytes, count, MSG_NOSIGNAL), static_cast<ssize_t>(count));
}

// Reads one whole message, header and body; type 0 when the stream ends first.
RendezvousMessage receiveWhole(const Descriptor& socket) {
    RendezvousMessage message;
    auto receive = [&](void* into, std::uint32_t count) {
        if (::recv(socket.get(), into, count, MSG_WAITALL) != static_cast<ssize_t>(count)) throw 0;
    };
    try {
        receiveMessage(receive, message);
    } catch (int) {
        message.type = 0;
    }
    return message;
}

// The installer's side of a whole exchange, each message sent in pieces
// pause apart; the offered URL, or "" when the exchange broke off.
std::string offeredUrl(const char* address, std::chrono::milliseconds pause = 0ms) {
    const Descriptor socket = connectTo(address);
    auto sendInPieces = [&](const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t at = 0; at < count; at += 7) {
            if (at) std::this_thread::sleep_for(pause);
            ::send(socket.get(), bytes + at, std::min<std::size_t>(7, count - at), MSG_NOSIGNAL);
        }
    };
    const auto hello = encodeHello(0x12345678);
    sendInPieces(hello.data(), hello.size());
    const RendezvousMessage challenge = receiveWhole(socket);
    if (challenge.type != kMsgChallenge || challenge.word(2) != keyedTransform(0x12345678)) return "";
    const auto response = encodeResponse(challenge.word(3));
    sendInPieces(response.data(), response.size());
    const RendezvousMessage offer = receiveWhole(socket);
    if (offer.type != kMsgUpdateOffer) return "";
    char url[256];
    offer.shortString(url);
    return url;
}

// Clients that keep the server waiting, when sending or when reading, are
// dropped after the deadline and cost no thread meanwhile; a client that
// sends its messages in pieces within the deadline is served.
TEST(RendezvousServer, DeadlinesDropSilentAndSlowClients) {
    Limits limits;
    limits.receiveTimeout = 300ms;
    limits.sendTimeout = 300ms;
    // The second address sends 8 MB of skip messages before its challenge,
    // more than the system's buffers take from a client that does not read.
    RunningServer server({offering("127.0.7.3"), offering("127.0.7.4", 1000000)}, limits);

    const auto start = Clock::now();
    const Descriptor silent = connectTo("127.0.7.3");
    const Descriptor dripping = connectTo("127.0.7.3");
    const Descriptor notReading = connectTo("127.0.7.4", 4096);
    const auto hello = encodeHello(1);
    sendAll(notReading, hello.data(), hello.size());
    std::vector<Descriptor> idle;
    for (int i = 0; i < 100; ++i)
        idle.push_back(connectTo("127.0.7.3"));

    // Served while all those are held.
    EXPECT_EQ(offeredUrl("127.0.7.3", 20ms), "http://127.0.7.9/update.bin");

    // A byte at a time, the hello would take two seconds.
    bool dropped = false;
    for (std::size_t i = 0; i < hello.size() && !dropped; ++i) {
        dropped = ::send(dripping.get(), &hello[i], 1, MSG_NOSIGNAL) != 1 || endsWithin(dripping, 100ms);
    }
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(endsWithin(silent, 3s));
    EXPECT_GE(Clock::now() - start, 300ms);

    EXPECT_EQ(server.lineStarting("127.0.7.3 " + logName(silent)),
              "127.0.7.3 " + logName(silent) + " receive-timeout");
    EXPECT_EQ(server.lineStarting("127.0.7.3 " + logName(dripping)),
              "127.0.7.3 " + logName(dripping) + " receive-timeout");
    const std::string slowReader = server.lineStarting("127.0.7.4 " + logName(notReading));
    EXPECT_NE(slowReader.find(" skip=1000000 challenge="), std::string::npos) << slowReader;
    EXPECT_TRUE(slowReader.ends_with(" send-timeout")) << slowReader;
}

// The end of stream that arrives with the hello is not announced again, yet
// the exchange ends as soon as the server has answered, not at its deadline.
TEST(RendezvousServer, AClientThatHangsUpWithItsHelloIsLetGoAtOnce) {
    Limits limits;
    limits.receiveTimeout = 20s;
    RunningServer server({offering("127.0.7.6")}, limits);
    const Descriptor socket = connectTo("127.0.7.6");
    const auto hello = encodeHello(2);
    sendAll(socket, hello.data(), hello.size());
    ::shutdown(socket.get(), SHUT_WR);
    const std::string line = server.lineStarting("127.0.7.6 " + logName(socket));
    EXPECT_TRUE(line.ends_with(" peer-gone")) << line;
}

// Beyond the cap a connection is closed at once, with a log line, and the
// connections held go on; a place that frees up is taken again.
TEST(RendezvousServer, TheConnectionCapRefusesCleanly) {
    Limits limits;
    limits.maxConnections = 2;
    RunningServer server({offering("127.0.7.5")}, limits);

    Descriptor first = connectTo("127.0.7.5");
    const Descriptor second = connectTo("127.0.7.5");
    const Descriptor third = connectTo("127.0.7.5");
    EXPECT_TRUE(endsWithin(third, 2s));
    EXPECT_EQ(server.lineStarting("127.0.7.5 " + logName(third)),
              "127.0.7.5 " + logName(third) + " refused: 2 connections open");
    EXPECT_FALSE(endsWithin(second, 50ms));

    const std::string firstName = logName(first);
    first.reset();
    EXPECT_EQ(server.lineStarting("127.0.7.5 " + firstName), "127.0.7.5 " + firstName + " peer-gone");
    EXPECT_EQ(offeredUrl("127.0.7.5"), "http://127.0.7.9/update.bin");

    // Stopping cuts what is still open.
    server.stop();
    EXPECT_EQ(server.lineStarting("127.0.7.5 " + logName(second)),
              "127.0.7.5 " + logName(second) + " stopped");
}

}  // namespace
}  // namespace tarnwick::rendezvous
