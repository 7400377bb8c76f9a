#include "tools/tarnwick-rendezvous/MessageReader.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace tarnwick::rendezvous {

bool MessageReader::takeWhole() {
    if (held_ < kMessageHeaderLength) return false;
    std::uint8_t header[kMessageHeaderLength];
    std::memcpy(header, buffer_, kMessageHeaderLength);
    takeMessageHeader(header, message_);
    if (held_ < kMessageHeaderLength + message_.length) return false;
    std::memcpy(message_.body, buffer_ + kMessageHeaderLength, message_.length);
    taken_ = kMessageHeaderLength + message_.length;
    return true;
}

MessageReader::Status MessageReader::readFrom(int socket) {
    if (takeWhole()) return Status::kComplete;
    for (;;) {
        const std::size_t room = sizeof buffer_ - held_;
        const ssize_t got = ::recv(socket, buffer_ + held_, room, 0);
        if (got == 0) return Status::kClosed;
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return Status::kFailed;
            drained_ = true;
            return Status::kWaiting;
        }
        held_ += static_cast<std::size_t>(got);
        // A read that did not fill the room emptied the socket: whatever
        // comes later is announced, so there is no need to ask again now.
        drained_ = static_cast<std::size_t>(got) < room && !hungUp_;
        if (takeWhole()) return Status::kComplete;
        if (drained_) return Status::kWaiting;
    }
}

void MessageReader::next() {
    std::memmove(buffer_, buffer_ + taken_, held_ - taken_);
    held_ -= taken_;
    taken_ = 0;
}

void MessageReader::clear() {
    held_ = 0;
    taken_ = 0;
    drained_ = true;
    hungUp_ = false;
}

}  // namespace tarnwick::rendezvous
