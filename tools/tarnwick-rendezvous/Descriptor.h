#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tarnwick::rendezvous {

// Owns one file descriptor; -1 is none. Closing keeps errno, so that the
// failure a caller is about to report is not replaced by the clean-up's.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~Descriptor() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

    // Closes what it held, then holds fd.
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            const int saved = errno;
            ::close(fd_);
            errno = saved;
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// Raises the process's soft limit on descriptors to its hard limit: every
// connection holds one, and the soft limit a shell hands out (often 1,024)
// is far below what the system allows.
inline void raiseDescriptorLimit() {
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace tarnwick::rendezvous
