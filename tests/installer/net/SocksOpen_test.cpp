#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "installer/net/TcpConnection.h"
#include "tests/installer/net/NetTestPeers.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

using test::thrownCode;
using Alert = test::RecordedNotices::Alert;

constexpr const char* kAdvice =
    "Check with your ISP or network administrator to make sure you have the correct proxy settings";

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int value : values) {
        out += static_cast<char>(value);
    }
    return out;
}

class SocksOpenTest : public ::testing::Test {
protected:
    void useSocks(int version, const std::string& host, const char* user = "", const char* password = "") {
        settings_.setUseSocksProxy(true);
        settings_.setSocksVersion(static_cast<std::uint8_t>(version));
        settings_.setSocksHost(host.c_str());
        settings_.setSocksPort(test::kSocksPort);
        settings_.setSocksUser(user);
        settings_.setSocksPassword(password);
    }

    // Opens a connection to the web server and checks that it answers there.
    void expectWebServerThrough(TcpConnection& connection) {
        connection.open(test::kWebServer.c_str(), 80);
        connection.sendString(("GET /file.bin HTTP/1.1\r\nHost: " + test::kWebServer + "\r\n\r\n").c_str());
        char line[100];
        connection.readLine(line, sizeof line);
        EXPECT_STREQ(line, "HTTP/1.1 200 OK\r\n");
    }

    // Opens a connection through the scripted proxy, which plays steps.
    std::optional<std::int32_t> openThroughScripted(const std::string& steps, const char* host = "10.1.2.3",
                                                    std::uint16_t port = 8080) {
        peer_.play({steps});
        return thrownCode([&] { connection_.open(host, port); });
    }

    ProxySettings& settings_ = test::directSettings();
    test::ScriptedPeer peer_ = test::scriptedPeer();
    test::RecordedNotices notices_;
    TcpConnection connection_;
};

// A SOCKS 5 reply head and bound address: granted, address type 1.
constexpr const char* kGranted = "hex 05 00 00 01 7f 00 00 01 04 38";

TEST_F(SocksOpenTest, WithoutSocksOpenConnectsDirectly) {
    TcpConnection connection;
    expectWebServerThrough(connection);
}

TEST_F(SocksOpenTest, RealProxyCarriesSocks4AndSocks5) {
    for (int version : {4, 5}) {
        useSocks(version, test::kSocksProxy, "ignored-user", "ignored-password");
        TcpConnection connection;
        expectWebServerThrough(connection);
    }
    EXPECT_TRUE(notices_.alerts().empty());
}

TEST_F(SocksOpenTest, RealProxyChecksUserNameAndPassword) {
    useSocks(5, test::kSocksAuthProxy, test::kSocksUser, test::kSocksPassword);
    TcpConnection good;
    expectWebServerThrough(good);
    EXPECT_TRUE(notices_.alerts().empty());

    settings_.setSocksPassword("wrong");
    TcpConnection bad;
    EXPECT_EQ(thrownCode([&] { bad.open(test::kWebServer.c_str(), 80); }), kConnectionFailure);
    EXPECT_EQ(notices_.alerts(),
              (std::vector<Alert>{{"SOCKS Proxy: Invalid username or password", kAdvice}}));
}

TEST_F(SocksOpenTest, RealProxyRefusalsOfTheDestination) {
    useSocks(5, test::kSocksProxy);
    TcpConnection blocked;
    EXPECT_EQ(thrownCode([&] { blocked.open(test::kSocksBlocked.c_str(), 80); }), kConnectionFailure);
    EXPECT_EQ(notices_.alerts(),
              (std::vector<Alert>{{"SOCKS Proxy: Connection not allowed by ruleset", kAdvice}}));

    TcpConnection refused;  // code 5: nothing the user can fix, no alert
    EXPECT_EQ(thrownCode([&] { refused.open(test::kNobody.c_str(), 80); }), kConnectionFailure);
    useSocks(4, test::kSocksProxy);
    TcpConnection socks4;
    EXPECT_EQ(thrownCode([&] { socks4.open(test::kSocksBlocked.c_str(), 80); }), kConnectionFailure);
    EXPECT_EQ(notices_.alerts().size(), 1u);
}

TEST_F(SocksOpenTest, Socks4SendsAnEmptyUserIdWhateverIsConfigured) {
    useSocks(4, test::kScripted, "someone", "secret");
    EXPECT_EQ(openThroughScripted("recv 9\nhex 00 5a 00 00 00 00 00 00"), std::nullopt);
    EXPECT_EQ(peer_.received(), bytes({4, 1, 0x1F, 0x90, 10, 1, 2, 3, 0}));
    EXPECT_EQ(openThroughScripted("recv 9\nhex 00 5b 00 00 00 00 00 00"), kConnectionFailure);
    EXPECT_EQ(openThroughScripted("recv 9\nhex 04 5a 00 00 00 00 00 00"), kConnectionFailure);
    EXPECT_TRUE(notices_.alerts().empty());
}

TEST_F(SocksOpenTest, Socks5MethodChoice) {
    useSocks(5, test::kScripted, "someone", "secret");
    const std::string greeting = bytes({5, 2, 0, 2});
    const std::string connect = bytes({5, 1, 0, 1, 10, 1, 2, 3, 0x1F, 0x90});

    // Method 0: no username/password exchange at all.
    EXPECT_EQ(openThroughScripted(std::string("recv 4\nhex 05 00\nrecv 10\n") + kGranted), std::nullopt);
    EXPECT_EQ(peer_.received(), greeting + connect);

    // Method 2 with empty credentials still sends the two length bytes.
    settings_.setSocksUser("");
    settings_.setSocksPassword("");
    TcpConnection second;
    peer_.play({std::string("recv 4\nhex 05 02\nrecv 3\nhex 01 00\nrecv 10\n") + kGranted});
    second.open("10.1.2.3", 8080);
    EXPECT_EQ(peer_.received(), greeting + bytes({1, 0, 0}) + connect);

    TcpConnection refused;
    peer_.play({"recv 4\nhex 05 ff"});
    EXPECT_EQ(thrownCode([&] { refused.open("10.1.2.3", 8080); }), kConnectionFailure);
    EXPECT_EQ(notices_.alerts(), (std::vector<Alert>{{"SOCKS Proxy: Unacceptable method", kAdvice}}));
}

TEST_F(SocksOpenTest, Socks5ReadsTheBoundAddressOfEveryType) {
    useSocks(5, test::kScripted);
    const std::string name20 = "bound.name.example.a";
    const std::vector<std::string> boundAddresses = {
        "hex 05 00 00 01 01 02 03 04 00 50", "hex 05 00 00 03 14\nsend " + name20 + "\nhex 00 50",
        "hex 05 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 50",
        "hex 05 00 00 09",  // unknown type: nothing more belongs to the reply
    };
    for (const auto& reply : boundAddresses) {
        TcpConnection connection;
        peer_.play({"recv 4\nhex 05 00\nrecv 10\n" + reply + "\nsend after"});
        connection.open("10.1.2.3", 8080);
        char after[6] = {};
        connection.receiveExactly(after, 5);
        EXPECT_STREQ(after, "after") << reply;
    }
}

TEST_F(SocksOpenTest, Socks5ReplyCodesAndTheirAlerts) {
    useSocks(5, test::kScripted);
    const std::vector<std::pair<int, const char*>> codes = {
        {1, "SOCKS Proxy: SOCKS server failure"},
        {2, "SOCKS Proxy: Connection not allowed by ruleset"},
        {3, nullptr},
        {4, nullptr},
        {5, nullptr},
        {6, nullptr},
        {7, "SOCKS Proxy: Command not supported"},
        {8, "SOCKS Proxy: Address type not supported"},
        {9, nullptr},
        {255, nullptr},
    };
    std::vector<Alert> expected;
    for (const auto& [code, title] : codes) {
        TcpConnection connection;
        char reply[64];
        std::snprintf(reply, sizeof reply, "recv 4\nhex 05 00\nrecv 10\nhex 05 %02x 00 01 00 00 00 00 00 00",
                      code);
        peer_.play({reply});
        EXPECT_EQ(thrownCode([&] { connection.open("10.1.2.3", 8080); }), kConnectionFailure) << code;
        if (title != nullptr) {
            expected.push_back({title, kAdvice});
        }
    }
    EXPECT_EQ(notices_.alerts(), expected);
}

TEST_F(SocksOpenTest, AProxyThatHangsUpMidHandshake) {
    useSocks(5, test::kScripted);
    EXPECT_EQ(openThroughScripted("recv 4\nhex 05"), kConnectionFailure);
    TcpConnection again;
    peer_.play({"recv 4\nhex 05 00\nrecv 10\nhex 05 00 00 01 7f"});
    EXPECT_EQ(thrownCode([&] { again.open("10.1.2.3", 8080); }), kConnectionFailure);
    EXPECT_TRUE(notices_.alerts().empty());
}

TEST_F(SocksOpenTest, AProxyThatFallsSilentMidHandshake) {
    useSocks(5, test::kScripted);
    connection_.setIdleTimeout(300);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(openThroughScripted("recv 4\nhex 05 00\nrecv 10\nhex 05 00\nsleep 3000"), kLineTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
}

TEST_F(SocksOpenTest, AnUnresolvableDestinationNeverReachesTheProxy) {
    useSocks(5, test::kScripted);
    EXPECT_EQ(openThroughScripted("recv 4\nhex 05 00", "no-such-host.invalid"), kConnectionFailure);
    EXPECT_EQ(peer_.received(), "");
}

TEST_F(SocksOpenTest, AnUnreachableProxyFailsWithMinusOne) {
    useSocks(5, test::kNobody);
    EXPECT_EQ(thrownCode([&] { connection_.open(test::kWebServer.c_str(), 80); }), kConnectionFailure);
}

TEST_F(SocksOpenTest, TheHttpProxyItselfIsReachedDirectly) {
    useSocks(5, test::kNobody);  // any connection through it fails
    settings_.setUseHttpProxy(true);
    settings_.setHttpProxyHost(test::kWebServer.c_str());
    settings_.setHttpProxyPort(80);
    TcpConnection direct;
    expectWebServerThrough(direct);
    settings_.setHttpProxyPort(8080);  // same host, another port: through SOCKS
    TcpConnection viaSocks;
    EXPECT_EQ(thrownCode([&] { viaSocks.open(test::kWebServer.c_str(), 80); }), kConnectionFailure);
}

}  // namespace
}  // namespace tarnwick
