#include "tools/tarnwick-rendezvous/Server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "installer/core/RendezvousMessage.h"
#include "tests/support/ScratchDir.h"
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

}  // namespace
}  // namespace tarnwick::rendezvous
