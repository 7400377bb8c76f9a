#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "installer/core/Failure.h"

namespace tarnwick {

// The rendezvous protocol on TCP port 16000. Every message, both ways:
//
//   +----------------+----------------+------------------------+
//   | type (u32, BE) | length (u32,BE)| body: length bytes     |
//   +----------------+----------------+------------------------+
//
// Integer fields of a body are big-endian u32 words as well.
inline constexpr std::uint16_t kRendezvousPort = 16000;

inline constexpr std::uint32_t kMsgSkip = 1;
inline constexpr std::uint32_t kMsgRedirect = 3;
inline constexpr std::uint32_t kMsgServiceUnavailable = 54;
inline constexpr std::uint32_t kMsgNoUpdate = 58;
inline constexpr std::uint32_t kMsgUpdateOffer = 78;
inline constexpr std::uint32_t kMsgChallenge = 84;
inline constexpr std::uint32_t kMsgAutoUpdateProblem = 124;
inline constexpr std::uint32_t kMsgHello = 180;
inline constexpr std::uint32_t kMsgResponse = 272;

// The hello's body: protocol words 2 and 134, then the challenge.
inline constexpr std::uint32_t kHelloWord0 = 2;
inline constexpr std::uint32_t kHelloWord1 = 134;

inline constexpr std::uint32_t kMessageHeaderLength = 8;
inline constexpr std::uint32_t kMessageBodyCapacity = 1024;

// One received message. The body buffer has a fixed size; the accessors
// refuse fields that lie beyond the length the peer announced.
struct RendezvousMessage {
    std::uint32_t type = 0;
    std::uint32_t length = 0;
    std::uint8_t body[kMessageBodyCapacity];

    // Body word index (0-based). A body too short to hold it is a protocol
    // violation: throws kGeneralFailure.
    std::uint32_t word(std::uint32_t index) const;
    // The short string at the start of the body (a length byte, then the
    // text) as a NUL-terminated text in out. An empty body or a string
    // running past the body throws kGeneralFailure.
    void shortString(char (&out)[256]) const;
};

// Checks a received type/length header. A length beyond the body buffer is a
// protocol violation (kGeneralFailure): the exchange would otherwise have to
// write past the buffer or drop bytes and lose its place in the stream.
void takeMessageHeader(const std::uint8_t (&header)[kMessageHeaderLength], RendezvousMessage& message);

// Reads one message with receiveExactly(bytes, count), which fills exactly
// count bytes or throws: the 8 header bytes, then the body.
template <typename ReceiveExactly>
void receiveMessage(ReceiveExactly&& receiveExactly, RendezvousMessage& message) {
    std::uint8_t header[kMessageHeaderLength];
    receiveExactly(header, kMessageHeaderLength);
    takeMessageHeader(header, message);
    if (message.length > 0) receiveExactly(message.body, message.length);
}

// A whole message: header and body words, ready for one send.
std::vector<std::uint8_t> encodeMessage(std::uint32_t type, const std::vector<std::uint32_t>& words);
// A whole message whose body is a short string (the update offer). A text
// longer than 255 bytes is cut to 255.
std::vector<std::uint8_t> encodeShortStringMessage(std::uint32_t type, const char* text);

// The installer's two messages, each sent in one piece.
std::array<std::uint8_t, 20> encodeHello(std::uint32_t challenge);
std::array<std::uint8_t, 12> encodeResponse(std::uint32_t serverChallenge);

}  // namespace tarnwick
