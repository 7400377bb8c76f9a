#include "installer/core/RendezvousMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "installer/core/ChallengeGenerator.h"
#include "installer/core/KeyedTransform.h"
#include "tests/support/ThrownCode.h"

namespace tarnwick {
namespace {

TEST(KeyedTransform, MatchesTheKeyedFormulaIncludingWrapAround) {
    EXPECT_EQ(keyedTransform(0), 1276986079u);
    EXPECT_EQ(keyedTransform(0x4C1D2B73), 0u);
    EXPECT_EQ(keyedTransform(12345), 1276977805u);
    // t = 0xFFFFFFFF: t mod 11353 + t overflows 32 bits and wraps.
    EXPECT_EQ(keyedTransform(0xB3E2D48C), 2511u);
}

TEST(ChallengeGenerator, IsTheStandardMersenneTwister) {
    seedChallengeGenerator(5489);
    EXPECT_EQ(nextChallenge(), 3499211612u);
    for (int i = 2; i < 10000; ++i)
        nextChallenge();
    EXPECT_EQ(nextChallenge(), 4123659995u);
    seedChallengeGenerator(5489);
    EXPECT_EQ(nextChallenge(), 3499211612u);
}

TEST(RendezvousEncoding, HelloAndResponseAreBigEndianWordsInOnePiece) {
    const std::vector<std::uint8_t> hello = {0, 0, 0, 180, 0, 0,   0,    12,   0,    0,
                                             0, 2, 0, 0,   0, 134, 0x12, 0x34, 0x56, 0x78};
    const auto encoded = encodeHello(0x12345678);
    EXPECT_EQ(std::vector<std::uint8_t>(encoded.begin(), encoded.end()), hello);

    const auto response = encodeResponse(12345);  // transform: 1276977805 = 0x4C1D228D
    const std::vector<std::uint8_t> expected = {0, 0, 0x01, 0x10, 0, 0, 0, 4, 0x4C, 0x1D, 0x22, 0x8D};
    EXPECT_EQ(std::vector<std::uint8_t>(response.begin(), response.end()), expected);
}

// Feeds receiveMessage from a byte string, as a connection would.
struct ScriptedBytes {
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0;
    void operator()(void* out, std::uint32_t count) {
        if (bytes.size() - at < count) throw kConnectionFailure;
        std::memcpy(out, bytes.data() + at, count);
        at += count;
    }
};

TEST(RendezvousReceive, ReadsHeaderThenExactlyTheBody) {
    ScriptedBytes peer{encodeMessage(kMsgChallenge, {0, 7, 0xAABBCCDD, 42})};
    const auto next = encodeMessage(kMsgNoUpdate, {});
    peer.bytes.insert(peer.bytes.end(), next.begin(), next.end());

    RendezvousMessage message;
    receiveMessage(peer, message);
    EXPECT_EQ(message.type, kMsgChallenge);
    EXPECT_EQ(message.length, 16u);
    EXPECT_EQ(message.word(1), 7u);
    EXPECT_EQ(message.word(2), 0xAABBCCDDu);
    EXPECT_EQ(message.word(3), 42u);
    receiveMessage(peer, message);
    EXPECT_EQ(message.type, kMsgNoUpdate);
    EXPECT_EQ(peer.at, peer.bytes.size());
}

TEST(RendezvousReceive, RefusesALengthBeyondTheBodyBufferBeforeReadingIt) {
    ScriptedBytes peer{encodeMessage(kMsgChallenge, {})};
    peer.bytes[6] = 0x04;
    peer.bytes[7] = 0x01;  // 1025
    peer.bytes.resize(8 + 1025, 0xEE);
    RendezvousMessage message;
    EXPECT_EQ(test::thrownCode([&] { receiveMessage(peer, message); }), kGeneralFailure);
    EXPECT_EQ(peer.at, 8u);

    ScriptedBytes full{encodeMessage(kMsgChallenge, std::vector<std::uint32_t>(256, 1))};
    EXPECT_EQ(test::thrownCode([&] { receiveMessage(full, message); }), std::nullopt);
    EXPECT_EQ(message.length, 1024u);
}

TEST(RendezvousReceive, FieldsBeyondAShortBodyAreProtocolViolations) {
    ScriptedBytes peer{encodeMessage(kMsgChallenge, {0, 7})};
    RendezvousMessage message;
    std::memset(message.body, 0x55, sizeof message.body);
    receiveMessage(peer, message);
    EXPECT_EQ(message.word(1), 7u);
    EXPECT_EQ(test::thrownCode([&] { (void)message.word(2); }), kGeneralFailure);
}

TEST(RendezvousReceive, OfferUrlIsAShortStringThatMustFitTheBody) {
    const std::string url(200, 'u');
    ScriptedBytes peer{encodeShortStringMessage(kMsgUpdateOffer, url.c_str())};
    RendezvousMessage message;
    receiveMessage(peer, message);
    char text[256];
    message.shortString(text);
    EXPECT_EQ(std::string(text), url);

    message.length = 100;  // the length byte claims more than arrived
    EXPECT_EQ(test::thrownCode([&] { message.shortString(text); }), kGeneralFailure);
    message.length = 0;
    EXPECT_EQ(test::thrownCode([&] { message.shortString(text); }), kGeneralFailure);
}

}  // namespace
}  // namespace tarnwick
