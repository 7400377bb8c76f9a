#pragma once

#include <cstdint>
#include <memory>

namespace tarnwick::platform {

// TLS 1.2 or newer on the client side, over whatever byte stream the caller
// has (a direct connection, or one through a proxy): OpenSSL natively,
// SChannel through SSPI on Windows, with the certificate checked by the
// system's chain engine. The session never touches a socket itself; it sends
// and receives through the caller's transport, whose exceptions pass through
// every call unchanged.

class TlsTransport {
public:
    virtual ~TlsTransport() = default;
    virtual void send(const void* data, std::uint32_t length) = 0;
    // At least one byte; anything else is thrown.
    virtual std::uint32_t receive(void* buffer, std::uint32_t capacity) = 0;
};

class TlsSession {
public:
    virtual ~TlsSession() = default;

    // Negotiates the session with host (a name or a dotted quad) and checks
    // the server's certificate chain against the trusted roots, and its name
    // and dates. False when no session came about or the certificate failed
    // a check: the server's identity is then unknown, and nothing may be
    // sent.
    [[nodiscard]] virtual bool handshake(const char* host) = 0;
    // False when the session failed; it is then unusable.
    [[nodiscard]] virtual bool send(const void* data, std::uint32_t length) = 0;
    // Plaintext: at least one byte; 0 once the server has ended the session
    // with its closing alert; -1 when the session failed. A transport that
    // ends without the closing alert throws from the transport as usual, so
    // that a cut transfer can never pass for a complete one.
    [[nodiscard]] virtual std::int32_t receive(void* buffer, std::uint32_t capacity) = 0;
};

// A session over transport, which must outlive it; null when the system
// offers none.
std::unique_ptr<TlsSession> startTlsSession(TlsTransport& transport);

// Trusts the certificates in a PEM file as roots, besides the system's, for
// every later session of the process. Call it before any session starts.
// False, trusting nothing more, when the file holds no certificate.
[[nodiscard]] bool trustRootsAlsoFrom(const char* pemFile);

}  // namespace tarnwick::platform
