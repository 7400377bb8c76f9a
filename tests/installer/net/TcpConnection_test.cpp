#include "installer/net/TcpConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "tests/installer/net/NetTestPeers.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

using test::kScripted;
using test::thrownCode;

class TcpConnectionTest : public ::testing::Test {
protected:
    // A connection to the scripted peer, which plays steps on it.
    void connectPlaying(const std::string& steps) {
        peer_.play({steps});
        connection_.connectTo(kScripted.c_str(), 80);
    }

    std::string line(std::uint32_t size) {
        std::string buffer(size, '\xAA');
        connection_.readLine(buffer.data(), size);
        return buffer.substr(0, std::strlen(buffer.c_str()));
    }

    test::ScriptedPeer peer_ = test::scriptedPeer();
    TcpConnection connection_;
};

TEST_F(TcpConnectionTest, ReadsLinesWithTheirEndingsAndLeavesWhatFollows) {
    connectPlaying("send first\\r\\nsecond\\nraw");
    EXPECT_EQ(line(100), "first\r\n");
    EXPECT_EQ(line(100), "second\n");
    char raw[3];
    connection_.receiveExactly(raw, 3);
    EXPECT_EQ(std::string(raw, 3), "raw");
}

TEST_F(TcpConnectionTest, SplitsALineLongerThanTheBuffer) {
    connectPlaying("send abcdefgh\\n");
    EXPECT_EQ(line(4), "abc");
    EXPECT_EQ(line(1), "");  // size 1 holds only the NUL and reads nothing
    EXPECT_EQ(line(100), "defgh\n");
}

TEST_F(TcpConnectionTest, PeerClosingFailsWithMinusOne) {
    connectPlaying("send half a li");
    EXPECT_EQ(thrownCode([&] { line(100); }), kConnectionFailure);
    char byte;
    EXPECT_EQ(thrownCode([&] { connection_.receiveSome(&byte, 1); }), kConnectionFailure);
}

TEST_F(TcpConnectionTest, ExchangesBytesBothWays) {
    connectPlaying("recv 5\nsend ok");
    connection_.sendString("hello");
    char reply[2];
    connection_.receiveExactly(reply, 2);
    EXPECT_EQ(peer_.received(), "hello");
    EXPECT_EQ(connection_.receiveSome(reply, 0), 0u);
}

TEST_F(TcpConnectionTest, CloseFromAnotherThreadCancelsABlockedReceive) {
    connectPlaying("sleep 5000");
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        connection_.close();
    });
    char byte;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(thrownCode([&] { connection_.receiveSome(&byte, 1); }), kQuietFailure);
    closer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    connection_.close();  // again: harmless
    EXPECT_EQ(thrownCode([&] { connection_.sendString("late"); }), kQuietFailure);
    EXPECT_EQ(thrownCode([&] { line(10); }), kQuietFailure);
}

TEST_F(TcpConnectionTest, CloseFromAnotherThreadCancelsAPendingLine) {
    connectPlaying("send partial\nsleep 5000");
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        connection_.close();
    });
    EXPECT_EQ(thrownCode([&] { line(100); }), kQuietFailure);
    closer.join();
}

TEST_F(TcpConnectionTest, ALineThatTricklesInTimesOutAfterThirtySeconds) {
    connectPlaying("send H\nsleep 20000\nsend T\nsleep 20000\nsend \\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(thrownCode([&] { line(100); }), kLineTimeout);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(29900));
    EXPECT_LT(waited, std::chrono::seconds(35));
}

// Bytes that come now and then: the idle timeout bounds each wait, a
// deadline the whole exchange until it is cleared.
TEST_F(TcpConnectionTest, IdleTimeoutAndDeadlineBoundEveryReceive) {
    connectPlaying("send a\nsleep 300\nsend b\nsleep 300\nsend c\nsleep 300\nsend d\nsleep 2000\nsend e");
    connection_.setIdleTimeout(1000);
    char bytes[2];
    {
        ScopedDeadline deadline(connection_, 500);
        EXPECT_EQ(thrownCode([&] { connection_.receiveExactly(bytes, 2); }), std::nullopt) << "a, b in time";
        EXPECT_EQ(thrownCode([&] { connection_.receiveExactly(bytes, 2); }), kLineTimeout);
    }
    EXPECT_EQ(thrownCode([&] { connection_.receiveExactly(bytes, 2); }), std::nullopt) << "cleared: c, d";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(thrownCode([&] { connection_.receiveSome(bytes, 1); }), kLineTimeout) << "e comes too late";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1800));
}

TEST(TcpConnectionConnect, RefusedConnectClosesTheConnection) {
    TcpConnection connection;
    EXPECT_EQ(thrownCode([&] { connection.connectTo(test::kNobody.c_str(), 80); }), kConnectionFailure);
    EXPECT_EQ(thrownCode([&] { connection.sendString("x"); }), kQuietFailure);
}

TEST(TcpConnectionConnect, ClosedBeforeConnectingStaysClosed) {
    TcpConnection connection;
    connection.close();
    EXPECT_EQ(thrownCode([&] { connection.connectTo(kScripted.c_str(), 80); }), kConnectionFailure);
}

TEST(TcpConnectionResolve, DottedQuadsAndNames) {
    TcpConnection connection;
    EXPECT_EQ(connection.resolve("127.0.1.2"), 0x7F000102u);
    EXPECT_EQ(connection.resolve("localhost"), 0x7F000001u);
    EXPECT_EQ(thrownCode([&] { connection.resolve("no-such-host.invalid"); }), kConnectionFailure);
    // The system's "invalid argument": EINVAL natively, WSAEINVAL on Windows.
    const int error = platform::lastSocketError();
    EXPECT_TRUE(error == 22 || error == 10022) << error;
    EXPECT_EQ(thrownCode([&] { connection.connectTo("no-such-host.invalid", 80); }), kConnectionFailure);
}

TEST(ElapsedMilliseconds, CountsFromTheFirstCall) {
    const std::uint32_t first = elapsedMilliseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::uint32_t later = elapsedMilliseconds();
    EXPECT_GE(later - first, 45u);
    EXPECT_LT(later - first, 5000u);
}

}  // namespace
}  // namespace tarnwick
