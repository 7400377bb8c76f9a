#pragma once

#include <cstdint>

namespace tarnwick::platform {

// Outgoing IPv4 TCP sockets with blocking calls: BSD sockets natively,
// Winsock on Windows. Addresses and ports are in host byte order. The error
// codes are the system's own (errno values or WSA codes); each failing call
// leaves its code for lastSocketError() on the calling thread.
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};

// Makes the system's sockets usable for the rest of the process: starts
// Winsock 1.1 once on Windows (never stopped), nothing elsewhere. The calls
// below do it themselves on first use; a program calls it first thing to
// learn at once whether any socket can ever work. False when none can; a
// later call gives the same answer.
[[nodiscard]] bool startSockets();

// A stream socket whose small writes leave at once (no Nagle delay), or
// kNoSocket when the system refuses one.
[[nodiscard]] SocketHandle openTcpSocket();

// Every socket is ended once with endSocket and then released once with
// releaseSocket. Ending makes a call blocked on the socket in another thread
// return, and every later call fail. Natively the descriptor is kept until
// the release, so that the blocked call can never find it reused by an
// unrelated socket; Winsock wakes a blocked call only by closing the socket,
// so there the handle goes at once and the release has nothing left to do.
// Both keep the caller's last error.
void endSocket(SocketHandle socket);
void releaseSocket(SocketHandle socket);

// A dotted-quad text, exactly as the system's inet_addr reads it. False for
// anything else, "255.255.255.255" included; address is then unchanged.
[[nodiscard]] bool parseDottedQuad(const char* text, std::uint32_t& address);
// The first IPv4 address of a host name. On failure address is unchanged and
// the last socket error is the system's "invalid argument".
[[nodiscard]] bool lookUpHost(const char* host, std::uint32_t& address);

[[nodiscard]] bool connectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port);
// One send of at most length bytes: the count sent, or -1. Never raises a
// signal when the peer has gone.
[[nodiscard]] std::int32_t sendSome(SocketHandle socket, const void* data, std::uint32_t length);
// One receive of at most capacity bytes: the count, 0 when the peer closed
// its side, -1 on failure.
[[nodiscard]] std::int32_t receiveSome(SocketHandle socket, void* buffer, std::uint32_t capacity);
// 1 when the socket is readable (or broken: the next receive tells), 0 when
// milliseconds passed first, -1 on failure.
[[nodiscard]] int waitReadable(SocketHandle socket, std::uint32_t milliseconds);

int lastSocketError();

}  // namespace tarnwick::platform
