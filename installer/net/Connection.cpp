#include "installer/net/Connection.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "installer/platform/Clock.h"

namespace tarnwick {

void Connection::receiveExactly(void* buffer, std::uint32_t length) {
    auto* next = static_cast<std::uint8_t*>(buffer);
    while (length != 0) {
        const std::uint32_t got = receiveSome(next, length);
        next += got;
        length -= got;
    }
}

void Connection::setDeadline(std::uint32_t milliseconds) {
    deadlineSet_ = true;
    deadlineStart_ = elapsedMilliseconds();
    deadlineLength_ = milliseconds;
}

std::uint32_t Connection::receiveWait() const {
    if (!deadlineSet_) return idleTimeout_;
    // Differences of readings stay right across the counter's wrap.
    const std::uint32_t spent = elapsedMilliseconds() - deadlineStart_;
    const std::uint32_t left = spent < deadlineLength_ ? deadlineLength_ - spent : 0;
    return std::min(idleTimeout_, left);
}

void Connection::sendString(const char* text) {
    sendAll(text, static_cast<std::uint32_t>(std::strlen(text)));
}

std::uint32_t elapsedMilliseconds() {
    // 0 means "not yet read": a reading that happens to be 0 simply sets the
    // origin again on the next call, which costs at most a millisecond.
    static std::atomic<std::uint32_t> origin{0};
    const std::uint32_t now = platform::millisecondCounter();
    std::uint32_t first = origin.load(std::memory_order_relaxed);
    if (first == 0) {
        origin.store(now, std::memory_order_relaxed);
        return 0;
    }
    return now - first;
}

}  // namespace tarnwick
