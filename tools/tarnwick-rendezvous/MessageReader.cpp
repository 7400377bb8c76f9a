#include "tools/tarnwick-rendezvous/MessageReader.h"

#include <sys/socket.h>

#include <cerrno>

namespace tarnwick::rendezvous {

MessageReader::Status MessageReader::readFrom(int socket) {
    for (;;) {
        const bool inHeader = received_ < kMessageHeaderLength;
        const std::size_t end = inHeader ? kMessageHeaderLength : kMessageHeaderLength + message_.length;
        if (received_ == end) return Status::kComplete;
        std::uint8_t* into =
            inHeader ? header_ + received_ : message_.body + (received_ - kMessageHeaderLength);
        const ssize_t got = ::recv(socket, into, end - received_, 0);
        if (got == 0) return Status::kClosed;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? Status::kWaiting : Status::kFailed;
        }
        received_ += static_cast<std::size_t>(got);
        if (received_ == kMessageHeaderLength) takeMessageHeader(header_, message_);
    }
}

}  // namespace tarnwick::rendezvous
