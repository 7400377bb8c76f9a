#include "installer/net/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/installer/net/NetTestPeers.h"

namespace tarnwick {
namespace {

using test::kScripted;
using test::kWebServer;

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

class HttpClientTest : public ::testing::Test {
protected:
    // Reads the rest of the body in pieces of at most capacity bytes; the
    // last result of read is left in lastRead_.
    std::string body(std::uint32_t capacity = 65536) {
        std::string out;
        std::vector<char> piece(capacity);
        for (;;) {
            lastRead_ = client_.read(piece.data(), capacity);
            if (lastRead_ <= 0) {
                return out;
            }
            out.append(piece.data(), static_cast<std::size_t>(lastRead_));
        }
    }

    void useHttpProxy(const std::string& host, const char* user = "", const char* password = "") {
        settings_.setUseHttpProxy(true);
        settings_.setHttpProxyHost(host.c_str());
        settings_.setHttpProxyPort(test::kHttpProxyPort);
        settings_.setHttpProxyUser(user);
        settings_.setHttpProxyPassword(password);
    }

    void useSocks(int version) {
        settings_.setUseSocksProxy(true);
        settings_.setSocksVersion(static_cast<std::uint8_t>(version));
        settings_.setSocksHost(test::kSocksProxy.c_str());
        settings_.setSocksPort(test::kSocksPort);
    }

    // Asks the scripted web server for a resource while it plays responses.
    FailureCode requestScripted(const std::vector<std::string>& responses, const std::string& path = "/x") {
        peer_.play(responses);
        client_.setUrl(("http://" + kScripted + path).c_str());
        return client_.request(true);
    }

    ProxySettings& settings_ = test::directSettings();
    test::ScriptedPeer peer_ = test::scriptedPeer();
    HttpClient client_;
    std::int32_t lastRead_ = 0;
    const std::string file_ = test::servedFile("file.bin");
};

TEST(HttpClientUrl, SplitsHostAndPath) {
    HttpClient client;
    client.setUrl("HTTP://Host.Example/dir/file?x=1\r\nrest");
    EXPECT_EQ(client.host(), "Host.Example");
    EXPECT_EQ(client.path(), "/dir/file?x=1");
    client.setUrl("host.example");
    EXPECT_EQ(client.host(), "host.example");
    EXPECT_EQ(client.path(), "/");
    client.setUrl("host.example:8080/a");
    EXPECT_EQ(client.host(), "host.example:8080");
}

TEST_F(HttpClientTest, DownloadsALengthDelimitedBodyDirectly) {
    ASSERT_EQ(file_.size(), 300000u);
    client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(client_.position(), 0u);
    EXPECT_EQ(body(), file_);
    EXPECT_EQ(lastRead_, -1);
    EXPECT_EQ(client_.position(), 300000u);
}

TEST_F(HttpClientTest, ResumesFromAnOffset) {
    client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    client_.setResumeOffset(5000);
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(client_.position(), 5000u);
    std::vector<char> buffer(1000);
    client_.setBuffer(buffer.data(), 1000);
    EXPECT_EQ(client_.readFully(1000), 1000);
    EXPECT_EQ(std::string(buffer.data(), 1000), file_.substr(5000, 1000));
    EXPECT_EQ(client_.readFully(1001), 0) << "more than the buffer holds";
    EXPECT_EQ(body(), file_.substr(6000));
}

TEST_F(HttpClientTest, ReadsAChunkedBodyFromTheWebServer) {
    client_.setUrl(("http://" + kWebServer + "/chunked/file.bin").c_str());
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(body(7777), file_);
    EXPECT_EQ(lastRead_, -1);
}

TEST_F(HttpClientTest, ReadStartsTheRequestItself) {
    client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    EXPECT_EQ(body(), file_);
    EXPECT_EQ(body(), file_) << "a finished body is fetched again";
}

TEST_F(HttpClientTest, FollowsOneRedirect) {
    for (const char* status : {"301", "302", "303", "307"}) {
        client_.setUrl(("http://" + kWebServer + "/redirect/" + status).c_str());
        ASSERT_EQ(client_.request(true), 0) << status;
        EXPECT_EQ(body(), file_) << status;
    }
    client_.setUrl(("http://" + kWebServer + "/redirect/elsewhere").c_str());
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(client_.host(), test::kOtherWebServer);
    EXPECT_EQ(body(), test::servedFile("other.bin"));
}

TEST_F(HttpClientTest, RefusesRedirectsItCannotFollow) {
    for (const char* path : {"/redirect/twice", "/redirect/relative"}) {
        client_.setUrl(("http://" + kWebServer + path).c_str());
        EXPECT_EQ(client_.request(true), kGeneralFailure) << path;
    }
    client_.setUrl(("http://" + kWebServer + "/redirect/302").c_str());
    EXPECT_EQ(client_.request(false), kGeneralFailure);
}

TEST_F(HttpClientTest, RefusedStatusesAreNegated) {
    client_.setUrl(("http://" + kWebServer + "/missing.bin").c_str());
    EXPECT_EQ(client_.request(true), -404);
    client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    client_.setResumeOffset(400000);
    EXPECT_EQ(client_.request(true), -416);
}

TEST_F(HttpClientTest, UnreachableServers) {
    client_.setUrl(("http://" + test::kNobody + "/file.bin").c_str());
    EXPECT_EQ(client_.request(true), kConnectionFailure);
    // Without a proxy the port is part of the host name, which resolves to
    // nothing.
    client_.setUrl(("http://" + kWebServer + ":80/file.bin").c_str());
    EXPECT_EQ(client_.request(true), kConnectionFailure);
}

TEST_F(HttpClientTest, ThroughAnOpenHttpProxy) {
    useHttpProxy(test::kOpenHttpProxy);
    client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    client_.setResumeOffset(1234);
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(client_.position(), 1234u);
    EXPECT_EQ(body(), file_.substr(1234));
}

TEST_F(HttpClientTest, AnswersTheProxyChallengeWithCredentials) {
    useHttpProxy(test::kAuthHttpProxy, test::kProxyUser, test::kProxyPassword);
    client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(body(), file_);
    settings_.setHttpProxyPassword("wrong");
    HttpClient refused;
    refused.setUrl(("http://" + kWebServer + "/file.bin").c_str());
    // The proxy turns wrong credentials away with a status of its choice.
    const FailureCode code = refused.request(true);
    EXPECT_TRUE(code == -401 || code == -407) << code;
}

TEST_F(HttpClientTest, ThroughRealSocksProxies) {
    for (int version : {4, 5}) {
        useSocks(version);
        client_.setUrl(("http://" + kWebServer + "/file.bin").c_str());
        client_.setResumeOffset(100);
        ASSERT_EQ(client_.request(true), 0);
        EXPECT_EQ(body(), file_.substr(100)) << version;
    }
}

TEST_F(HttpClientTest, ThroughSocksAndTheHttpProxyTogether) {
    useSocks(5);
    useHttpProxy(test::kAuthHttpProxy, test::kProxyUser, test::kProxyPassword);
    client_.setUrl(("http://" + kWebServer + "/chunked/file.bin").c_str());
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(body(), file_);
}

TEST_F(HttpClientTest, SendsExactlyTheRequestTexts) {
    const std::string ok = "head\nsend HTTP/1.1 200 OK\\r\\nContent-Length: 2\\r\\n\\r\\nok";
    ASSERT_EQ(requestScripted({ok}, "/a/b"), 0);
    EXPECT_EQ(peer_.received(), "GET /a/b HTTP/1.1\r\nHost: " + kScripted + "\r\n\r\n");
    client_.setResumeOffset(77);
    ASSERT_EQ(requestScripted({"head\nsend HTTP/1.1 200 OK\\r\\nContent-Length: 2\\r\\n\\r\\nok"}), 0);
    EXPECT_EQ(peer_.received(), "GET /x HTTP/1.1\r\nHost: " + kScripted + "\r\nRange: bytes=77-\r\n\r\n");
    EXPECT_EQ(client_.position(), 0u) << "a server that ignores the range starts from the beginning";
    EXPECT_EQ(body(), "ok");
}

TEST_F(HttpClientTest, ProxyRequestsCarryTheUrlUnchangedAndCredentialsOnlyWhenAsked) {
    settings_.setUseHttpProxy(true);
    settings_.setHttpProxyHost(kScripted.c_str());
    settings_.setHttpProxyPort(80);  // the scripted peer plays the proxy
    const std::string challenge =
        "head\nsend HTTP/1.1 407 Auth\\r\\nProxy-Authenticate: Basic realm=x\\r\\n\\r\\n";
    const std::string ok = "head\nsend HTTP/1.1 200 OK\\r\\nContent-Length: 2\\r\\n\\r\\nok";
    client_.setResumeOffset(9);
    peer_.play({challenge, ok});
    client_.setUrl("http://origin.test:8080/f");
    ASSERT_EQ(client_.request(true), 0);
    EXPECT_EQ(peer_.received(0),
              "GET http://origin.test:8080/f HTTP/1.1\r\nHost: origin.test:8080\r\n"
              "Range: bytes=9-\r\n\r\n");
    // Empty user name and password still send the colon.
    EXPECT_EQ(peer_.received(1),
              "GET http://origin.test:8080/f HTTP/1.1\r\nHost: origin.test:8080\r\n"
              "Range: bytes=9-\r\nProxy-Authorization: Basic Og==\r\n\r\n");

    peer_.play({challenge, challenge});
    EXPECT_EQ(client_.request(true), -407) << "a second challenge is refused";
    peer_.play({"head\nsend HTTP/1.1 407 Auth\\r\\nContent-Length: 4\\r\\n\\r\\nbody"});
    EXPECT_EQ(client_.request(true), -407) << "no Basic challenge";
}

TEST_F(HttpClientTest, BoundsTheAlternationOfChallengesAndRedirects) {
    settings_.setUseHttpProxy(true);
    settings_.setHttpProxyHost(kScripted.c_str());
    settings_.setHttpProxyPort(80);
    const std::string challenge =
        "head\nsend HTTP/1.1 407 Auth\\r\\nProxy-Authenticate: Basic realm=x\\r\\n\\r\\n";
    const std::string redirect =
        "head\nsend HTTP/1.1 302 Found\\r\\nLocation: http://origin.test/y\\r\\n\\r\\n";
    peer_.play({challenge, redirect, challenge, redirect, challenge, redirect, challenge, redirect});
    client_.setUrl("http://origin.test/x");
    EXPECT_LT(client_.request(true), 0);
    EXPECT_TRUE(peer_.received(4).size() > 0);
    EXPECT_EQ(peer_.received(5), "") << "no more than five requests for one call";
}

TEST_F(HttpClientTest, ChunkedBodiesInPiecesOfEverySize) {
    const std::string chunks =
        "head\nsend HTTP/1.1 200 OK\\r\\ntransfer-encoding: chunked\\r\\n\\r\\n"
        "3;ext=1\\r\\nabc\\r\\n2\\r\\nde\\r\\n0\\r\\n\\r\\n";
    for (std::uint32_t capacity : {1u, 2u, 100u}) {
        ASSERT_EQ(requestScripted({chunks}), 0);
        EXPECT_EQ(body(capacity), "abcde") << capacity;
        EXPECT_EQ(lastRead_, -1);
    }
    ASSERT_EQ(requestScripted({chunks}), 0);
    char byte;
    EXPECT_EQ(client_.read(&byte, 0), 0) << "capacity 0 leaves the body where it is";
    EXPECT_EQ(body(), "abcde");
}

TEST_F(HttpClientTest, MalformedResponses) {
    const std::vector<std::pair<std::string, FailureCode>> cases = {
        {"send HTTP/1.1-200-OK\\r\\n\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 OK\\r\\n\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\n0\\r\\n\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\nzz\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\n\\r\\nno length", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nContent-Length:5\\r\\n\\r\\nhello", kGeneralFailure},
        {"send HTTP/1.1 302 Found\\r\\n\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 304 Not Modified\\r\\n\\r\\n", -304},
        {"send HTTP/1.1 500 Oops\\r\\n", -500},
        {"send HTTP/1.1 200 OK\\r\\nContent-Le", kConnectionFailure},
        // Numbers that do not read cleanly, or that 32 bits cannot hold.
        {"send HTTP/1.1 0 OK\\r\\nContent-Length: 2\\r\\n\\r\\nok", kGeneralFailure},
        {"send HTTP/1.1 -404 Gone\\r\\n\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 99999999999 Big\\r\\n\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nContent-Length: +2\\r\\n\\r\\nok", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nContent-Length: 1 2\\r\\n\\r\\nok", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nContent-Length: 4294967296\\r\\n\\r\\nok", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nContent-Length: 2\\r\\nContent-Length: 3\\r\\n\\r\\nok", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\n100000000\\r\\n", kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\n1" + std::string(1100, ' ') +
             "\\r\\nx",
         kGeneralFailure},
        {"send HTTP/1.1 200 OK\\r\\n" + repeated("X-Line: 1\\r\\n", 101) + "Content-Length: 2\\r\\n\\r\\nok",
         kGeneralFailure},
    };
    for (const auto& [response, code] : cases) {
        EXPECT_EQ(requestScripted({"head\n" + response}), code) << response.substr(0, 200);
    }
    const std::string hundredLines = "head\nsend HTTP/1.1 200 OK\\r\\n" + repeated("X-Line: 1\\r\\n", 99) +
                                     "Content-Length: 2\\r\\n\\r\\nok";
    ASSERT_EQ(requestScripted({hundredLines}), 0);
    EXPECT_EQ(body(), "ok");
}

TEST_F(HttpClientTest, BodiesMustKeepTheirFraming) {
    // A resumed body whose end 32 bits cannot count.
    client_.setResumeOffset(0xFFFFFF00u);
    EXPECT_EQ(
        requestScripted({"head\nsend HTTP/1.1 206 Partial\\r\\nContent-Range: bytes 4294967040-4294967551/"
                         "4294967552\\r\\nContent-Length: 512\\r\\n\\r\\n"}),
        kGeneralFailure);
    client_.setResumeOffset(0);
    // A chunk holding more data than its size says.
    ASSERT_EQ(requestScripted({"head\nsend HTTP/1.1 200 OK\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\n"
                               "3\\r\\nabcdef\\r\\n0\\r\\n\\r\\n"}),
              0);
    EXPECT_EQ(body(), "abc");
    EXPECT_EQ(lastRead_, kGeneralFailure);
}

// Peers that keep the client waiting: each wait for a byte, the whole head
// and each chunk-size line end after the idle timeout.
TEST_F(HttpClientTest, StallingPeersEndWithinTheIdleTimeout) {
    client_.setIdleTimeout(500);
    const std::string okHead = "head\nsend HTTP/1.1 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n\n";
    const std::string chunkedHead =
        "head\nsend HTTP/1.1 200 OK\\r\\nTransfer-Encoding: chunked\\r\\n\\r\\n\n";
    std::string drippingHead = "head\nsend HTTP/1.1 200 OK\\r\\n";
    for (int i = 0; i < 20; ++i)
        drippingHead += "\nsleep 150\nsend X-Drip: " + std::to_string(i) + "\\r\\n";

    const auto timed = [](auto&& action) {
        const auto start = std::chrono::steady_clock::now();
        action();
        return std::chrono::steady_clock::now() - start;
    };
    EXPECT_LT(timed([&] { EXPECT_EQ(requestScripted({"head\nsleep 5000"}), kLineTimeout); }),
              std::chrono::milliseconds(1500))
        << "a silent server";
    EXPECT_LT(timed([&] { EXPECT_EQ(requestScripted({drippingHead}), kLineTimeout); }),
              std::chrono::milliseconds(1500))
        << "a head that drips in line by line";
    EXPECT_LT(timed([&] {
                  ASSERT_EQ(requestScripted({okHead + "send abc\nsleep 5000"}), 0);
                  EXPECT_EQ(body(), "abc");
                  EXPECT_EQ(lastRead_, kLineTimeout);
              }),
              std::chrono::milliseconds(1500))
        << "a body that stops";
    EXPECT_LT(timed([&] {
                  ASSERT_EQ(requestScripted({chunkedHead + "send 3\\r\\nabc\\r\\n\nsleep 5000"}), 0);
                  EXPECT_EQ(body(), "abc");
                  EXPECT_EQ(lastRead_, kLineTimeout);
              }),
              std::chrono::milliseconds(1500))
        << "a chunk-size line that never comes";
}

TEST_F(HttpClientTest, AResumedBodyMustStartWhereItWasAskedTo) {
    client_.setResumeOffset(5000);
    const std::string matching =
        "head\nsend HTTP/1.1 206 Partial\\r\\nContent-Range: bytes 5000-5003/5004\\r\\nContent-Length: "
        "4\\r\\n\\r\\nabcd";
    ASSERT_EQ(requestScripted({matching}), 0);
    EXPECT_EQ(client_.position(), 5000u);
    EXPECT_EQ(body(), "abcd");
    EXPECT_EQ(client_.position(), 5004u);
    const std::string foreign =
        "head\nsend HTTP/1.1 206 Partial\\r\\nContent-Range: bytes 0-3/5004\\r\\nContent-Length: "
        "4\\r\\n\\r\\nabcd";
    EXPECT_EQ(requestScripted({foreign}), kGeneralFailure);
}

TEST_F(HttpClientTest, LongHeaderLinesArriveInPieces) {
    const std::string padded = "head\nsend HTTP/1.1 200 OK\\r\\nX-Pad: " + std::string(1100, 'p') +
                               "Content-Length: 9\\r\\nContent-Length: 2\\r\\n\\r\\nok";
    ASSERT_EQ(requestScripted({padded}), 0);
    EXPECT_EQ(body(), "ok") << "only a line's first piece can match a header";

    const std::string longLocation = "head\nsend HTTP/1.1 302 Found\\r\\nLocation: http://" + kScripted +
                                     "/" + std::string(1100, 'l') + "\\r\\n\\r\\n";
    EXPECT_EQ(
        requestScripted({longLocation, "head\nsend HTTP/1.1 200 OK\\r\\nContent-Length: 2\\r\\n\\r\\nok"}),
        kGeneralFailure);
    EXPECT_EQ(peer_.received(1), "") << "a cut location is never requested";
}

TEST_F(HttpClientTest, RefusesRequestsThatWouldBeCut) {
    client_.setUrl(("http://" + kWebServer + "/" + std::string(1100, 'p')).c_str());
    EXPECT_EQ(client_.request(true), kGeneralFailure);
    client_.setUrl(("http://" + kWebServer + "/" + std::string(1000, 'p')).c_str());
    EXPECT_EQ(client_.request(true), kGeneralFailure) << "path fits, the request text does not";
    client_.setUrl((std::string(600, 'h') + "/file.bin").c_str());
    EXPECT_EQ(client_.request(true), kGeneralFailure);
}

}  // namespace
}  // namespace tarnwick
