#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "installer/net/HttpClient.h"
#include "installer/platform/Socket.h"
#include "installer/platform/Tls.h"
#include "tests/installer/net/NetTestPeers.h"
#include "tests/support/RecordedNotices.h"
#include "tests/support/ScriptedPeer.h"

namespace tarnwick {
namespace {

// The TLS web servers (net-peers.sh tls): .60 with a certificate from the
// test CA, which the suite trusts besides the system's roots; .61-.64 each
// with one thing wrong.
const std::string kSecure = test::peerAddress(60);

const test::RecordedNotices::Alert kNotVerified = {
    "Secure Connection Failed", "The identity of the update server could not be verified."};

class HttpsClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(
            platform::trustRootsAlsoFrom((std::string(TARNWICK_PEER_FOLDER) + "/tls/ca.pem").c_str()));
    }

    std::string body(HttpClient& client) {
        std::string out;
        std::vector<char> piece(65536);
        for (;;) {
            lastRead_ = client.read(piece.data(), static_cast<std::uint32_t>(piece.size()));
            if (lastRead_ <= 0) return out;
            out.append(piece.data(), static_cast<std::size_t>(lastRead_));
        }
    }

    ProxySettings& settings_ = test::directSettings();
    test::RecordedNotices notices_;
    std::int32_t lastRead_ = 0;
    const std::string file_ = test::servedFile("file.bin");
};

TEST(HttpsUrl, TakesAPortOnlyWhereItCanBeUsed) {
    HttpClient client;
    client.setUrl("HTTPS://Host.Example:8443/dir/file\r\n");
    EXPECT_EQ(client.host(), "Host.Example");
    EXPECT_EQ(client.path(), "/dir/file");
    client.setUrl("hTTps://host.example");
    EXPECT_EQ(client.host(), "host.example");
    EXPECT_EQ(client.path(), "/");
    // Refused before any connection is tried.
    for (const char* url :
         {"https://host:0/", "https://host:65536/", "https://host:44x/", "https://host:/"}) {
        client.setUrl(url);
        EXPECT_EQ(client.request(true), kGeneralFailure) << url;
    }
}

TEST_F(HttpsClientTest, DownloadsAndResumesOverTls) {
    for (const std::string& url :
         {"https://" + kSecure + "/file.bin", "HTTPS://" + kSecure + ":443/file.bin"}) {
        HttpClient client;
        client.setUrl(url.c_str());
        ASSERT_EQ(client.request(true), 0) << url;
        EXPECT_EQ(body(client), file_);
        EXPECT_EQ(lastRead_, -1);
    }
    HttpClient resumed;
    resumed.setUrl(("https://" + kSecure + "/file.bin").c_str());
    resumed.setResumeOffset(123457);
    ASSERT_EQ(resumed.request(true), 0);
    EXPECT_EQ(resumed.position(), 123457u);
    EXPECT_EQ(body(resumed), file_.substr(123457));
    EXPECT_TRUE(notices_.alerts().empty());
}

// Each server whose identity cannot be verified ends the request with -3
// after one alert, however often the same client tries.
TEST_F(HttpsClientTest, RefusesEveryServerItCannotVerify) {
    for (const auto& [host, why] :
         std::vector<std::pair<int, const char*>>{{61, "a CA nobody trusts"},
                                                  {62, "another host's certificate"},
                                                  {63, "expired"},
                                                  {64, "TLS 1.0 alone"}}) {
        test::RecordedNotices notices;
        HttpClient client;
        client.setUrl(("https://" + test::peerAddress(host) + "/file.bin").c_str());
        EXPECT_EQ(client.request(true), kGeneralFailure) << why;
        EXPECT_EQ(client.request(true), kGeneralFailure) << why;
        EXPECT_EQ(notices.alerts(), std::vector{kNotVerified}) << why;
    }
}

TEST_F(HttpsClientTest, FollowsRedirectsToHttpsButNeverBackToHttp) {
    HttpClient upgraded;
    upgraded.setUrl(("http://" + test::kWebServer + "/redirect/to-https").c_str());
    ASSERT_EQ(upgraded.request(true), 0);
    EXPECT_EQ(upgraded.host(), kSecure);
    EXPECT_EQ(body(upgraded), file_);

    HttpClient secure;
    secure.setUrl(("https://" + kSecure + "/redirect/to-https").c_str());
    ASSERT_EQ(secure.request(true), 0);
    EXPECT_EQ(body(secure), file_);

    HttpClient downgraded;
    downgraded.setUrl(("https://" + kSecure + "/redirect/to-http").c_str());
    EXPECT_EQ(downgraded.request(true), kGeneralFailure);
    EXPECT_TRUE(notices_.alerts().empty());
}

// Through tinyproxy's CONNECT tunnel (with and without its Basic challenge)
// and through dante; the proxies see only encrypted bytes.
TEST_F(HttpsClientTest, ReachesTheServerThroughEveryProxy) {
    settings_.setUseHttpProxy(true);
    settings_.setHttpProxyPort(test::kHttpProxyPort);
    for (const auto& proxy : {test::kOpenHttpProxy, test::kAuthHttpProxy}) {
        settings_.setHttpProxyHost(proxy.c_str());
        settings_.setHttpProxyUser(test::kProxyUser);
        settings_.setHttpProxyPassword(test::kProxyPassword);
        HttpClient client;
        client.setUrl(("https://" + kSecure + "/file.bin").c_str());
        client.setResumeOffset(1000);
        ASSERT_EQ(client.request(true), 0) << proxy;
        EXPECT_EQ(body(client), file_.substr(1000)) << proxy;
    }
    settings_.setHttpProxyPassword("wrong");
    HttpClient refused;
    refused.setUrl(("https://" + kSecure + "/file.bin").c_str());
    const FailureCode code = refused.request(true);
    EXPECT_TRUE(code == -401 || code == -407) << code;

    test::directSettings();
    settings_.setUseSocksProxy(true);
    settings_.setSocksVersion(5);
    settings_.setSocksHost(test::kSocksProxy.c_str());
    settings_.setSocksPort(test::kSocksPort);
    HttpClient socks;
    socks.setUrl(("https://" + kSecure + "/file.bin").c_str());
    ASSERT_EQ(socks.request(true), 0);
    EXPECT_EQ(body(socks), file_);
    test::directSettings();
    EXPECT_TRUE(notices_.alerts().empty());
}

// A server that ends the session in the middle of a body, with or without
// the closing alert, has cut the transfer: the body is short, never
// complete, and what arrived is kept.
TEST_F(HttpsClientTest, ASessionEndedMidBodyIsACutTransfer) {
    test::ScriptedPeer peer(std::string(TARNWICK_PEER_FOLDER) + "/tls-scripted");
    const std::string head =
        "head\nsend HTTP/1.1 200 OK\\r\\nContent-Length: 100\\r\\n\\r\\n\nsend " + std::string(60, 'x');
    for (const std::string& ending : {std::string(), std::string("\nnotify")}) {
        peer.play({head + ending});
        HttpClient client;
        client.setUrl(("https://" + test::peerAddress(65) + "/x").c_str());
        ASSERT_EQ(client.request(true), 0);
        EXPECT_EQ(body(client), std::string(60, 'x'));
        EXPECT_EQ(lastRead_, kConnectionFailure);
        EXPECT_EQ(client.position(), 60u) << "short of the 100 bytes announced";
    }
    EXPECT_TRUE(notices_.alerts().empty());
}

// A server that never answers the handshake, and one that stalls in its
// response head, give up their client within the idle timeout.
TEST_F(HttpsClientTest, StalledServersEndWithinTheIdleTimeout) {
    test::ScriptedPeer plain = test::scriptedPeer();
    test::ScriptedPeer secure(std::string(TARNWICK_PEER_FOLDER) + "/tls-scripted");
    plain.play({"sleep 10000"});
    secure.play({"head\nsend HTTP/1.1 200 OK\\r\\n\nsleep 10000"});
    for (const std::string& url :
         {"https://" + test::kScripted + ":80/x", "https://" + test::peerAddress(65) + "/x"}) {
        HttpClient client;
        client.setIdleTimeout(1000);
        client.setUrl(url.c_str());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(client.request(true), 0) << url;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500)) << url;
    }
}

// Publishers name their servers, and certificates name hosts. The CTest
// test installer_net_https_names runs this case alone with a hosts file of
// the suite's own (net-peers.sh); elsewhere the names do not resolve.
TEST_F(HttpsClientTest, ChecksTheServersHostName) {
    std::uint32_t address = 0;
    if (!platform::lookUpHost("good.tarnwick.test", address))
        GTEST_SKIP() << "the test host names do not resolve";
    HttpClient good;
    good.setUrl("https://good.tarnwick.test/file.bin");
    ASSERT_EQ(good.request(true), 0);
    EXPECT_EQ(body(good), file_);
    EXPECT_TRUE(notices_.alerts().empty());

    // Its certificate names other.tarnwick.test.
    HttpClient misnamed;
    misnamed.setUrl("https://misnamed.tarnwick.test/file.bin");
    EXPECT_EQ(misnamed.request(true), kGeneralFailure);
    EXPECT_EQ(notices_.alerts(), std::vector{kNotVerified});
}

}  // namespace
}  // namespace tarnwick
