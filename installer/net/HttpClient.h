#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "installer/core/Failure.h"
#include "installer/net/Connection.h"

namespace tarnwick {

// A small HTTP/1.1 GET client for one resource: directly to port 80 or
// through the configured HTTP proxy (Basic credentials when it asks for
// them), with every connection opened through Connection::open so that a
// SOCKS proxy applies as well. An https address is fetched over TLS with the
// server's certificate checked, through the HTTP proxy in a CONNECT tunnel;
// a server whose identity cannot be verified is alerted once per client
// ("Secure Connection Failed") and refused with -3. It can ask for the bytes from an offset on,
// follows one redirect, and hands out a length-delimited or chunked body
// piece by piece. Failures are returned, not thrown: 0 for success, else a
// FailureCode, or minus the HTTP status of a refused request.
//
// No server can hold the client for ever: each wait for a byte ends after the
// idle timeout, and the whole response head, like each chunk-size line, must
// arrive within that time as well (-255).
class HttpClient {
public:
    // Makes the connection for each request: a TCP connection unless a
    // caller that tests the client's reading gives one of its own.
    using ConnectionFactory = std::function<std::unique_ptr<Connection>()>;

    // The longest host and path a URL may have; longer ones are refused.
    static constexpr std::uint32_t kHostLimit = 511;
    static constexpr std::uint32_t kPathLimit = 1023;

    // Throws -3 when no socket can be had.
    HttpClient();
    explicit HttpClient(ConnectionFactory makeConnection);
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;
    virtual ~HttpClient();

    // Splits "http://host/path" (the scheme may be missing, the path too) at
    // the first "/"; no port is recognised. "https://host[:port]/path" (the
    // scheme in any letter case) is fetched over TLS, on port 443 unless one
    // is named. The URL ends at its first line end.
    void setUrl(const char* url);
    void setResumeOffset(std::uint32_t offset) { resumeOffset_ = offset; }
    void setBuffer(void* data, std::uint32_t size);
    // The idle timeout of every connection, and the time the response head
    // may take in all; 30,000 ms unless set.
    void setIdleTimeout(std::uint32_t milliseconds);

    // Sends the request and reads the response head; 0 when the body is
    // ready to be read. The caller passes true to allow one redirect.
    [[nodiscard]] FailureCode request(bool allowRedirect);
    // The offset in the resource of the next body byte: after a request, the
    // resume offset when the server sent the range asked for, else 0.
    std::uint32_t position() const { return position_; }
    // At most capacity body bytes: the count (at least 1 unless capacity is
    // 0), -1 once the body is complete, or a negative failure code. Makes the
    // request itself when none is active.
    [[nodiscard]] std::int32_t read(void* data, std::uint32_t capacity);
    [[nodiscard]] std::int32_t readIntoBuffer();
    // Exactly count bytes into the buffer: count, or 0 when count is 0 or
    // exceeds the buffer, or the first result of read that is not positive.
    [[nodiscard]] std::int32_t readFully(std::uint32_t count);
    // Ends the current request and closes its connection.
    void finish();

    const std::string& host() const { return host_; }
    const std::string& path() const { return path_; }

private:
    // One request and its response head, following a redirect or a proxy
    // challenge with further requests while requestsLeft allows.
    FailureCode requestWithin(bool allowRedirect, int& requestsLeft);
    FailureCode exchange(bool allowRedirect, int& requestsLeft);
    // Reads the head's next header line into line; false at the blank line
    // that ends the head. A head of more than 100 header lines fails with -3.
    bool readHeaderLine(char* line, std::size_t capacity, int& count);
    // Asks the HTTP proxy for a tunnel to the server. False when the proxy
    // asks for credentials first (proxyChallenge_ says whether it offered
    // Basic); a refusal is thrown as minus its status.
    bool openTunnel(const std::string& credentials);
    // Runs TLS over the open connection; throws -3 after the alert (once)
    // when the server's identity cannot be verified.
    void startTls();
    // The next chunk's size, from the line end behind the last chunk's data
    // and the size line that follows.
    void readNextChunkSize();
    void startConnection();

    bool active_ = false;
    bool proxyChallenge_ = false;
    std::uint8_t* buffer_ = nullptr;
    std::uint32_t bufferSize_ = 0;
    std::string host_;
    std::string path_;
    bool secure_ = false;
    std::uint16_t port_ = 80;
    bool secureFailureShown_ = false;
    // False when the last URL given did not fit the limits above.
    bool urlUsable_ = false;
    std::uint32_t resumeOffset_ = 0;
    bool rangeSeen_ = false;
    bool chunked_ = false;
    std::uint32_t contentEnd_ = 0;
    std::uint32_t chunkRemaining_ = 0;
    std::uint32_t position_ = 0;
    ConnectionFactory makeConnection_;
    std::uint32_t idleTimeout_ = kDefaultIdleTimeout;
    std::unique_ptr<Connection> connection_;
    bool connectionUsed_ = false;
};

}  // namespace tarnwick
