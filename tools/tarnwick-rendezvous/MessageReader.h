#pragma once

#include <cstddef>
#include <cstdint>

#include "installer/core/RendezvousMessage.h"

namespace tarnwick::rendezvous {

// Collects one rendezvous message from a non-blocking socket over as many
// reads as the peer takes to send it. It reads no byte beyond the message,
// so whatever follows stays in the socket for the next one.
class MessageReader {
public:
    enum class Status {
        kComplete,  // message() holds it
        kWaiting,   // the socket has nothing more for now
        kClosed,    // the peer ended its side before the message was whole
        kFailed     // the socket failed (errno tells)
    };

    // Reads what the socket has, up to the end of the message. A header that
    // announces a body beyond the message's buffer throws kGeneralFailure.
    [[nodiscard]] Status readFrom(int socket);

    const RendezvousMessage& message() const { return message_; }
    // Starts on the next message.
    void clear() { received_ = 0; }

private:
    std::uint8_t header_[kMessageHeaderLength];
    std::size_t received_ = 0;
    RendezvousMessage message_;
};

}  // namespace tarnwick::rendezvous
