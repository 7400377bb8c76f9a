#include "installer/platform/Socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <cstring>

namespace tarnwick::platform {

namespace {

int descriptor(SocketHandle socket) {
    return static_cast<int>(socket);
}

}  // namespace

bool startSockets() {
    return true;
}

SocketHandle openTcpSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return kNoSocket;
    }
    const int on = 1;
    (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return static_cast<SocketHandle>(fd);
}

void endSocket(SocketHandle socket) {
    const int saved = errno;
    ::shutdown(descriptor(socket), SHUT_RDWR);
    errno = saved;
}

void releaseSocket(SocketHandle socket) {
    const int saved = errno;
    ::close(descriptor(socket));
    errno = saved;
}

bool parseDottedQuad(const char* text, std::uint32_t& address) {
    const in_addr_t parsed = ::inet_addr(text);
    if (parsed == INADDR_NONE) {
        return false;
    }
    address = ntohl(parsed);
    return true;
}

bool lookUpHost(const char* host, std::uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        errno = EINVAL;
        return false;
    }
    sockaddr_in first{};
    std::memcpy(&first, found->ai_addr, sizeof first);
    ::freeaddrinfo(found);
    address = ntohl(first.sin_addr.s_addr);
    return true;
}

bool connectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(address);
    target.sin_port = htons(port);
    int result;
    do {
        result = ::connect(descriptor(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

std::int32_t sendSome(SocketHandle socket, const void* data, std::uint32_t length) {
    ssize_t sent;
    do {
        sent = ::send(descriptor(socket), data, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent < 0 ? -1 : static_cast<std::int32_t>(sent);
}

std::int32_t receiveSome(SocketHandle socket, void* buffer, std::uint32_t capacity) {
    ssize_t got;
    do {
        got = ::recv(descriptor(socket), buffer, capacity, 0);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? -1 : static_cast<std::int32_t>(got);
}

int waitReadable(SocketHandle socket, std::uint32_t milliseconds) {
    pollfd entry{descriptor(socket), POLLIN, 0};
    const int result = ::poll(&entry, 1, static_cast<int>(milliseconds));
    return result < 0 ? -1 : (result == 0 ? 0 : 1);
}

int lastSocketError() {
    return errno;
}

}  // namespace tarnwick::platform
