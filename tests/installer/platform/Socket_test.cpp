#include "installer/platform/Socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {
namespace {

TEST(Socket, DottedQuadsAreReadInHostOrderAndRefusalsChangeNothing) {
    const std::vector<std::pair<std::string, std::optional<std::uint32_t>>> cases = {
        {"1.2.3.4", 0x01020304u},
        {"127.0.1.2", 0x7F000102u},
        {"0.0.0.0", 0u},
        {"255.255.255.254", 0xFFFFFFFEu},
        {"255.255.255.255", std::nullopt},
        {"1.2.3.256", std::nullopt},
        {"rendezvous.example", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        std::uint32_t address = 7;
        EXPECT_EQ(parseDottedQuad(text.c_str(), address), expected.has_value()) << text;
        EXPECT_EQ(address, expected.value_or(7)) << text;
    }
    std::uint32_t address = 7;
    EXPECT_FALSE(lookUpHost("no-such-host.invalid", address));
    EXPECT_EQ(address, 7u);
}

// A refused connection on the loopback leaves a last error; ending and
// releasing the socket must keep it for the caller to read, and an ended
// socket answers every call at once instead of blocking. A receive reads as
// the end (0) natively, where the descriptor stays until the release, and
// fails (-1) with Winsock, whose handle is gone: either ends a connection.
TEST(Socket, EndingKeepsTheLastErrorAndFailsWhatFollows) {
    ASSERT_TRUE(startSockets());
    const SocketHandle socket = openTcpSocket();
    ASSERT_NE(socket, kNoSocket);
    std::uint32_t loopback = 0;
    ASSERT_TRUE(parseDottedQuad("127.0.0.1", loopback));
    ASSERT_FALSE(connectSocket(socket, loopback, 1));
    const int refused = lastSocketError();
    EXPECT_NE(refused, 0);
    endSocket(socket);
    EXPECT_EQ(lastSocketError(), refused);

    const auto started = std::chrono::steady_clock::now();
    char byte = 0;
    EXPECT_LE(receiveSome(socket, &byte, 1), 0);
    EXPECT_EQ(sendSome(socket, "x", 1), -1);
    EXPECT_NE(waitReadable(socket, 5000), 0) << "nothing left to wait for";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

    const int last = lastSocketError();
    releaseSocket(socket);
    EXPECT_EQ(lastSocketError(), last);
}

}  // namespace
}  // namespace tarnwick::platform
