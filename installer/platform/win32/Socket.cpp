#include "installer/platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace tarnwick::platform {

namespace {

SOCKET native(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

bool startSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }();
    return started;
}

SocketHandle openTcpSocket() {
    // A failed start shows in the call that follows.
    static_cast<void>(startSockets());
    const SOCKET created = ::socket(AF_INET, SOCK_STREAM, 0);
    if (created == INVALID_SOCKET) {
        return kNoSocket;
    }
    const int on = 1;
    (void)::setsockopt(created, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<SocketHandle>(created);
}

void endSocket(SocketHandle socket) {
    const int saved = WSAGetLastError();
    ::shutdown(native(socket), SD_BOTH);
    ::closesocket(native(socket));
    WSASetLastError(saved);
}

void releaseSocket(SocketHandle) {}

bool parseDottedQuad(const char* text, std::uint32_t& address) {
    const unsigned long parsed = ::inet_addr(text);
    if (parsed == INADDR_NONE) {
        return false;
    }
    address = ntohl(parsed);
    return true;
}

bool lookUpHost(const char* host, std::uint32_t& address) {
    // A failed start shows in the call that follows.
    static_cast<void>(startSockets());
    const hostent* found = ::gethostbyname(host);
    if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr) {
        WSASetLastError(WSAEINVAL);
        return false;
    }
    in_addr first;
    memcpy(&first, found->h_addr_list[0], sizeof first);
    address = ntohl(first.s_addr);
    return true;
}

bool connectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(address);
    target.sin_port = htons(port);
    return ::connect(native(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

std::int32_t sendSome(SocketHandle socket, const void* data, std::uint32_t length) {
    // Winsock takes an int count; larger sends simply go out in pieces.
    const int count = length > 0x40000000u ? 0x40000000 : static_cast<int>(length);
    const int sent = ::send(native(socket), static_cast<const char*>(data), count, 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

std::int32_t receiveSome(SocketHandle socket, void* buffer, std::uint32_t capacity) {
    const int count = capacity > 0x40000000u ? 0x40000000 : static_cast<int>(capacity);
    const int got = ::recv(native(socket), static_cast<char*>(buffer), count, 0);
    return got == SOCKET_ERROR ? -1 : got;
}

int waitReadable(SocketHandle socket, std::uint32_t milliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(socket), &readable);
    timeval wait{};
    wait.tv_sec = static_cast<long>(milliseconds / 1000);
    wait.tv_usec = static_cast<long>(milliseconds % 1000) * 1000;
    const int result = ::select(0, &readable, nullptr, nullptr, &wait);
    return result == SOCKET_ERROR ? -1 : (result == 0 ? 0 : 1);
}

int lastSocketError() {
    return WSAGetLastError();
}

}  // namespace tarnwick::platform
