#include "installer/net/HttpClient.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "installer/core/UserNotice.h"
#include "installer/net/HttpSyntax.h"
#include "installer/net/ProtocolText.h"
#include "installer/net/ProxySettings.h"
#include "installer/net/TcpConnection.h"
#include "installer/net/TlsConnection.h"

namespace tarnwick {

namespace {

// Status, header and chunk-size lines, and the request text itself.
constexpr std::uint32_t kLineCapacity = 1024;
constexpr std::uint16_t kHttpPort = 80;
constexpr std::uint16_t kHttpsPort = 443;
// A retry with credentials allows a redirect again, and a redirected request
// (sent without credentials) may be challenged again; this bounds that
// alternation for one call of request().
constexpr int kRequestsPerCall = 5;
// Real servers send a dozen or two; a peer that sends header lines without
// end is refused.
constexpr int kHeaderLinesLimit = 100;

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307;
}

// A port of 1 to 65535 in plain decimal digits.
bool parsePort(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::stoul(text);
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

HttpClient::HttpClient() : HttpClient([] { return std::make_unique<TcpConnection>(); }) {}

HttpClient::HttpClient(ConnectionFactory makeConnection) : makeConnection_(std::move(makeConnection)) {
    startConnection();
}

void HttpClient::startConnection() {
    connection_ = makeConnection_();
    connection_->setIdleTimeout(idleTimeout_);
}

void HttpClient::setIdleTimeout(std::uint32_t milliseconds) {
    idleTimeout_ = milliseconds;
    if (connection_) connection_->setIdleTimeout(milliseconds);
}

HttpClient::~HttpClient() {
    finish();
}

void HttpClient::setUrl(const char* url) {
    secure_ = startsWithIgnoreCase(url, "https://");
    if (secure_) {
        url += 8;
    } else if (startsWithIgnoreCase(url, "http://")) {
        url += 7;
    }
    const std::string rest(url, std::strcspn(url, "\r\n"));
    const auto slash = rest.find('/');
    host_ = rest.substr(0, slash);
    path_ = slash == std::string::npos ? "/" : rest.substr(slash);
    port_ = secure_ ? kHttpsPort : kHttpPort;
    bool portUsable = true;
    const auto colon = host_.find(':');
    if (secure_ && colon != std::string::npos) {
        portUsable = parsePort(host_.substr(colon + 1), port_);
        host_.erase(colon);
    }
    // A host or path cut to fit would fetch some other resource.
    urlUsable_ = portUsable && host_.size() <= kHostLimit && path_.size() <= kPathLimit;
}

void HttpClient::setBuffer(void* data, std::uint32_t size) {
    buffer_ = static_cast<std::uint8_t*>(data);
    bufferSize_ = size;
}

void HttpClient::finish() {
    active_ = false;
    // The connection is missing only when making its successor failed.
    if (connection_) {
        connection_->close();
    }
}

FailureCode HttpClient::request(bool allowRedirect) {
    int requestsLeft = kRequestsPerCall;
    return requestWithin(allowRedirect, requestsLeft);
}

FailureCode HttpClient::requestWithin(bool allowRedirect, int& requestsLeft) {
    rangeSeen_ = false;
    chunked_ = false;
    contentEnd_ = 0;
    chunkRemaining_ = 0;
    position_ = 0;
    try {
        // Every request runs on a connection of its own.
        if (connectionUsed_) {
            connection_.reset();
            startConnection();
        }
        connectionUsed_ = true;
        return exchange(allowRedirect, requestsLeft);
    } catch (FailureCode code) {
        finish();
        return code;
    } catch (...) {
        finish();
        return kConnectionFailure;
    }
}

bool HttpClient::readHeaderLine(char* line, std::size_t capacity, int& count) {
    connection_->readLine(line, capacity);
    if (std::strcmp(line, "\r\n") == 0) return false;
    if (count++ == kHeaderLinesLimit) throw kGeneralFailure;
    return true;
}

FailureCode HttpClient::exchange(bool allowRedirect, int& requestsLeft) {
    if (!urlUsable_) {
        throw kGeneralFailure;
    }
    --requestsLeft;
    const ProxySettings& settings = ProxySettings::instance();
    const bool viaProxy = settings.useHttpProxy();
    std::string credentials;
    if (viaProxy && proxyChallenge_) {
        const std::string pair = std::string(settings.httpProxyUser()) + ":" + settings.httpProxyPassword();
        credentials = "Proxy-Authorization: Basic " + base64Encode(pair.c_str()) + "\r\n";
        proxyChallenge_ = false;
    }
    const bool carriesCredentials = !credentials.empty();
    // A proxy that relays the request is given the absolute URL; a server,
    // directly or through a tunnel, only the path.
    const bool relayed = viaProxy && !secure_;
    const std::string hostField =
        secure_ && port_ != kHttpsPort ? host_ + ":" + std::to_string(port_) : host_;
    std::string text = "GET " + (relayed ? "http://" + host_ : std::string()) + path_ +
                       " HTTP/1.1\r\nHost: " + hostField + "\r\n";
    if (resumeOffset_ != 0) {
        text += "Range: bytes=" + std::to_string(resumeOffset_) + "-\r\n";
    }
    // Credentials are the proxy's: a tunnel's server never sees them.
    text += (relayed ? credentials : std::string()) + "\r\n";
    // The request shares its line buffer's limit; one cut to fit would be a
    // different request.
    if (text.size() >= kLineCapacity) {
        throw kGeneralFailure;
    }
    const char* targetHost = viaProxy ? settings.httpProxyHost() : host_.c_str();
    const std::uint16_t targetPort = viaProxy ? settings.httpProxyPort() : port_;

    connection_->open(targetHost, targetPort);
    if (secure_) {
        if (viaProxy && !openTunnel(credentials)) {
            finish();
            if (!proxyChallenge_ || requestsLeft == 0) {
                return -407;
            }
            return requestWithin(true, requestsLeft);
        }
        startTls();
    }
    connection_->sendString(text.c_str());

    char line[kLineCapacity];
    bool authenticationRequired = false;
    bool redirect = false;
    bool locationFound = false;
    std::uint32_t firstByte = 0;
    bool firstByteKnown = false;
    bool lengthSeen = false;
    {
        // The whole head, not each line of it: a server that drips header
        // lines would otherwise keep the client for ever.
        ScopedDeadline headDeadline(*connection_, idleTimeout_);
        connection_->readLine(line, sizeof line);
        int status = 0;
        if (!parseStatusCode(line, status)) {
            throw kGeneralFailure;
        }
        if (viaProxy && !carriesCredentials && status == 407) {
            authenticationRequired = true;
        } else if (isRedirect(status)) {
            if (!allowRedirect) {
                throw kGeneralFailure;
            }
            redirect = true;
        } else if (status < 200 || status > 299) {
            throw static_cast<FailureCode>(-status);
        }

        for (int headerLines = 0; readHeaderLine(line, sizeof line, headerLines);) {
            if (startsWithIgnoreCase(line, "Content-Range:")) {
                rangeSeen_ = true;
                firstByteKnown = parseRangeStart(line + 14, firstByte);
            } else if (startsWithIgnoreCase(line, "Transfer-Encoding:")) {
                chunked_ = true;
            } else if (startsWithIgnoreCase(line, "Content-Length: ")) {
                // Two lengths that disagree leave the body's end unknown.
                std::uint32_t length = 0;
                if (!parseDecimalLength(line + 16, length) || (lengthSeen && length != contentEnd_)) {
                    throw kGeneralFailure;
                }
                contentEnd_ = length;
                lengthSeen = true;
            } else if (redirect && (startsWithIgnoreCase(line, "Location: http://") ||
                                    startsWithIgnoreCase(line, "Location: https://"))) {
                const bool wasSecure = secure_;
                setUrl(line + 10);
                // A location longer than the line arrives in pieces; its first
                // piece alone would name some other resource. A secure
                // download never continues in the clear.
                urlUsable_ = urlUsable_ && std::strchr(line, '\n') != nullptr && (secure_ || !wasSecure);
                locationFound = true;
            } else if (startsWithIgnoreCase(line, "Proxy-Authenticate: Basic")) {
                proxyChallenge_ = true;
            }
        }
    }

    if (redirect) {
        finish();
        if (!locationFound || requestsLeft == 0) {
            return kGeneralFailure;
        }
        return requestWithin(false, requestsLeft);
    }
    if (authenticationRequired) {
        finish();
        if (!proxyChallenge_ || requestsLeft == 0) {
            return -407;
        }
        return requestWithin(true, requestsLeft);
    }

    active_ = true;
    if (rangeSeen_) {
        // Bytes from anywhere but the offset asked for would be spliced into
        // the wrong place of the download.
        if (!firstByteKnown || firstByte != resumeOffset_) {
            throw kGeneralFailure;
        }
        position_ = resumeOffset_;
    }
    if (chunked_) {
        ScopedDeadline lineDeadline(*connection_, idleTimeout_);
        connection_->readLine(line, sizeof line);
        if (!parseChunkSizeLine(line, chunkRemaining_) || chunkRemaining_ == 0) {
            throw kGeneralFailure;
        }
    } else {
        // A body whose end would lie past what 32 bits can count cannot be
        // held, and a wrapped end would cut it short.
        if (contentEnd_ == 0 || contentEnd_ > UINT32_MAX - position_) {
            throw kGeneralFailure;
        }
        contentEnd_ += position_;
    }
    return 0;
}

//   CONNECT host:port HTTP/1.1
//   Host: host:port
//   [Proxy-Authorization: Basic ...]
//
// answered by a status line and header lines like any response; a 2xx turns
// the connection into a byte stream to the server.
bool HttpClient::openTunnel(const std::string& credentials) {
    const std::string authority = host_ + ":" + std::to_string(port_);
    const std::string text =
        "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n" + credentials + "\r\n";
    if (text.size() >= kLineCapacity) {
        throw kGeneralFailure;
    }
    connection_->sendString(text.c_str());

    ScopedDeadline headDeadline(*connection_, idleTimeout_);
    char line[kLineCapacity];
    connection_->readLine(line, sizeof line);
    int status = 0;
    if (!parseStatusCode(line, status)) {
        throw kGeneralFailure;
    }
    const bool challenged = status == 407 && credentials.empty();
    if (!challenged && (status < 200 || status > 299)) {
        throw static_cast<FailureCode>(-status);
    }
    for (int headerLines = 0; readHeaderLine(line, sizeof line, headerLines);) {
        if (challenged && startsWithIgnoreCase(line, "Proxy-Authenticate: Basic")) {
            proxyChallenge_ = true;
        }
    }
    return !challenged;
}

void HttpClient::startTls() {
    auto tls = std::make_unique<TlsConnection>(std::move(connection_));
    tls->setIdleTimeout(idleTimeout_);
    bool verified = false;
    {
        // The whole handshake, like a response head.
        ScopedDeadline handshakeDeadline(*tls, idleTimeout_);
        verified = tls->handshake(host_.c_str());
    }
    connection_ = std::move(tls);
    if (!verified) {
        if (!secureFailureShown_) {
            secureFailureShown_ = true;
            alert("Secure Connection Failed", "The identity of the update server could not be verified.");
        }
        throw kGeneralFailure;
    }
}

void HttpClient::readNextChunkSize() {
    ScopedDeadline lineDeadline(*connection_, idleTimeout_);
    char line[kLineCapacity];
    // Anything but a line end here means the chunk held more data than its
    // size said: the framing is lost.
    connection_->readLine(line, sizeof line);
    if (!isLineEnd(line)) {
        throw kGeneralFailure;
    }
    connection_->readLine(line, sizeof line);
    if (!parseChunkSizeLine(line, chunkRemaining_)) {
        throw kGeneralFailure;
    }
}

std::int32_t HttpClient::read(void* data, std::uint32_t capacity) {
    if (!active_) {
        const FailureCode code = request(true);
        if (code != 0) {
            return code > 0 ? kConnectionFailure : code;
        }
    }
    try {
        if (chunked_ && chunkRemaining_ == 0) {
            readNextChunkSize();
            if (chunkRemaining_ == 0) {
                finish();
                return -1;
            }
        } else if (!chunked_ && contentEnd_ == position_) {
            finish();
            return -1;
        }
        const std::uint32_t left = chunked_ ? chunkRemaining_ : contentEnd_ - position_;
        // The count is returned as a signed number.
        const std::uint32_t wanted = std::min({capacity, left, std::uint32_t{0x7FFFFFFF}});
        const std::uint32_t got = connection_->receiveSome(data, wanted);
        position_ += got;
        if (chunked_) {
            chunkRemaining_ -= got;
        }
        return static_cast<std::int32_t>(got);
    } catch (FailureCode code) {
        finish();
        return code < 0 ? code : kConnectionFailure;
    } catch (...) {
        finish();
        return kConnectionFailure;
    }
}

std::int32_t HttpClient::readIntoBuffer() {
    return read(buffer_, bufferSize_);
}

std::int32_t HttpClient::readFully(std::uint32_t count) {
    if (count == 0 || count > bufferSize_) {
        return 0;
    }
    std::uint32_t done = 0;
    while (done < count) {
        const std::int32_t got = read(buffer_ + done, count - done);
        if (got <= 0) {
            return got;
        }
        done += static_cast<std::uint32_t>(got);
    }
    return static_cast<std::int32_t>(count);
}

}  // namespace tarnwick
