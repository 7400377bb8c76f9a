#include "installer/net/HttpClient.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "installer/net/HttpSyntax.h"
#include "installer/net/ProtocolText.h"
#include "installer/net/ProxySettings.h"
#include "installer/net/TcpConnection.h"

namespace tarnwick {

namespace {

// Status, header and chunk-size lines, and the request text itself.
constexpr std::uint32_t kLineCapacity = 1024;
constexpr std::uint16_t kHttpPort = 80;
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
    if (startsWithIgnoreCase(url, "http://")) {
        url += 7;
    }
    const std::string rest(url, std::strcspn(url, "\r\n"));
    const auto slash = rest.find('/');
    host_ = rest.substr(0, slash);
    path_ = slash == std::string::npos ? "/" : rest.substr(slash);
    // A host or path cut to fit would fetch some other resource.
    urlUsable_ = host_.size() <= kHostLimit && path_.size() <= kPathLimit;
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
    // A proxy is given the absolute URL; a server only the path.
    std::string text = "GET " + (viaProxy ? "http://" + host_ : std::string()) + path_ +
                       " HTTP/1.1\r\nHost: " + host_ + "\r\n";
    if (resumeOffset_ != 0) {
        text += "Range: bytes=" + std::to_string(resumeOffset_) + "-\r\n";
    }
    text += credentials + "\r\n";
    // The request shares its line buffer's limit; one cut to fit would be a
    // different request.
    if (text.size() >= kLineCapacity) {
        throw kGeneralFailure;
    }
    const char* targetHost = viaProxy ? settings.httpProxyHost() : host_.c_str();
    const std::uint16_t targetPort = viaProxy ? settings.httpProxyPort() : kHttpPort;

    connection_->open(targetHost, targetPort);
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

        for (int headerLines = 0;; ++headerLines) {
            connection_->readLine(line, sizeof line);
            if (std::strcmp(line, "\r\n") == 0) {
                break;
            }
            if (headerLines == kHeaderLinesLimit) {
                throw kGeneralFailure;
            }
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
            } else if (redirect && startsWithIgnoreCase(line, "Location: http://")) {
                setUrl(line + 17);
                // A location longer than the line arrives in pieces; its first
                // piece alone would name some other resource.
                urlUsable_ = urlUsable_ && std::strchr(line, '\n') != nullptr;
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
