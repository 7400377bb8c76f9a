#include "installer/core/RendezvousMessage.h"

#include <algorithm>
#include <cstring>

#include "installer/core/ByteOrder.h"
#include "installer/core/KeyedTransform.h"

namespace tarnwick {

std::uint32_t RendezvousMessage::word(std::uint32_t index) const {
    // A body shorter than the fields its type needs is refused rather than
    // read from whatever an earlier message left in the buffer.
    if (index >= kMessageBodyCapacity / 4 || length < (index + 1) * 4) throw kGeneralFailure;
    return loadBigEndian32(body + index * 4);
}

void RendezvousMessage::shortString(char (&out)[256]) const {
    if (length < 1 || length - 1 < body[0]) throw kGeneralFailure;
    std::memcpy(out, body + 1, body[0]);
    out[body[0]] = 0;
}

void takeMessageHeader(const std::uint8_t (&header)[kMessageHeaderLength], RendezvousMessage& message) {
    message.type = loadBigEndian32(header);
    message.length = loadBigEndian32(header + 4);
    if (message.length > kMessageBodyCapacity) throw kGeneralFailure;
}

std::vector<std::uint8_t> encodeMessage(std::uint32_t type, const std::vector<std::uint32_t>& words) {
    std::vector<std::uint8_t> bytes(kMessageHeaderLength + words.size() * 4);
    storeBigEndian32(bytes.data(), type);
    storeBigEndian32(bytes.data() + 4, static_cast<std::uint32_t>(words.size() * 4));
    for (std::size_t i = 0; i < words.size(); ++i)
        storeBigEndian32(bytes.data() + 8 + i * 4, words[i]);
    return bytes;
}

std::vector<std::uint8_t> encodeShortStringMessage(std::uint32_t type, const char* text) {
    const std::size_t length = std::min<std::size_t>(std::strlen(text), 255);
    std::vector<std::uint8_t> bytes(kMessageHeaderLength + 1 + length);
    storeBigEndian32(bytes.data(), type);
    storeBigEndian32(bytes.data() + 4, static_cast<std::uint32_t>(1 + length));
    bytes[8] = static_cast<std::uint8_t>(length);
    std::memcpy(bytes.data() + 9, text, length);
    return bytes;
}

//   +-----+----+---+-----+-----------+
//   | 180 | 12 | 2 | 134 | challenge |   five big-endian words, 20 bytes
//   +-----+----+---+-----+-----------+
std::array<std::uint8_t, 20> encodeHello(std::uint32_t challenge) {
    std::array<std::uint8_t, 20> bytes;
    const std::uint32_t words[] = {kMsgHello, 12, kHelloWord0, kHelloWord1, challenge};
    for (int i = 0; i < 5; ++i)
        storeBigEndian32(bytes.data() + i * 4, words[i]);
    return bytes;
}

//   +-----+---+----------------------------------+
//   | 272 | 4 | keyedTransform(server challenge) |   12 bytes
//   +-----+---+----------------------------------+
std::array<std::uint8_t, 12> encodeResponse(std::uint32_t serverChallenge) {
    std::array<std::uint8_t, 12> bytes;
    storeBigEndian32(bytes.data(), kMsgResponse);
    storeBigEndian32(bytes.data() + 4, 4);
    storeBigEndian32(bytes.data() + 8, keyedTransform(serverChallenge));
    return bytes;
}

}  // namespace tarnwick
