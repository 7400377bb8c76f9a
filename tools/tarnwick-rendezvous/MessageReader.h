#pragma once

#include <cstddef>
#include <cstdint>

#include "installer/core/RendezvousMessage.h"

namespace tarnwick::rendezvous {

// Collects rendezvous messages from a non-blocking socket over as many reads
// as the peer takes to send them. Each read takes what the socket holds, up
// to room for two whole messages, so a message usually costs one read;
// bytes beyond the message wait in the reader for the next one.
class MessageReader {
public:
    enum class Status {
        kComplete,  // message() holds it
        kWaiting,   // the socket has nothing more for now
        kClosed,    // the peer ended its side before the message was whole
        kFailed     // the socket failed (errno tells)
    };

    // Reads until a whole message is held. A header that announces a body
    // beyond the message's buffer throws kGeneralFailure.
    [[nodiscard]] Status readFrom(int socket);
    const RendezvousMessage& message() const { return message_; }
    // Drops the message readFrom completed; what followed it stays.
    void next();
    // Forgets everything, for a new connection.
    void clear();
    // Tells the reader that the peer has ended its side (an event said so).
    // A read that returns data returns no end of stream with it, and no
    // later event announces it again, so from now on the reader reads to
    // the end rather than stop at a read that did not fill its room.
    void noteHangUp() { hungUp_ = true; }

    // Whether the next message, or the end of the stream, may be here
    // already where no readiness event will announce it: in the reader, or
    // in the socket because the last read stopped at a whole message rather
    // than at the socket's end, or because the peer has hung up.
    bool hasMore() const { return held_ > taken_ || !drained_ || hungUp_; }

private:
    // True when the bytes held start with a whole message, now in message_.
    bool takeWhole();

    std::uint8_t buffer_[2 * (kMessageHeaderLength + kMessageBodyCapacity)];
    std::size_t held_ = 0;
    std::size_t taken_ = 0;  // the bytes of the completed message
    bool drained_ = true;
    bool hungUp_ = false;
    RendezvousMessage message_;
};

}  // namespace tarnwick::rendezvous
