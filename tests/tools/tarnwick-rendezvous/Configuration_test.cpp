#include "tools/tarnwick-rendezvous/Configuration.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ScratchDir.h"

namespace tarnwick::rendezvous {
namespace {

using namespace std::chrono_literals;

class ConfigurationFile : public ::testing::Test {
protected:
    // Writes text as the configuration file and returns its path.
    std::string write(const std::string& text) {
        std::ofstream(path_) << text;
        return path_;
    }
    // The message readConfigFile refuses text with, or "" when it takes it.
    std::string refusal(const std::string& text) {
        try {
            readConfigFile(write(text));
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "";
    }

    test::ScratchDir scratch_;
    const std::string path_ = scratch_.file("rendezvous.conf");
    const std::string offer_ = "offer = http://cdn.example.net/tarnwick/update-7.bin\nversion = 7\n";
};

TEST_F(ConfigurationFile, HoldsEverythingAProductionServerNeeds) {
    const Configuration config =
        readConfigFile(write("# the service\n"
                             "\n"
                             "  address = 10.1.2.3  \n"
                             "port=16001\n"
                             "offer = http://cdn.example.net/tarnwick/update-7.bin?from=server\n"
                             "version = 7\n"
                             "receive-timeout = 5000\n"
                             "send-timeout = 7000\n"
                             "max-connections = 50000\n"
                             "threads = 4\n"
                             "log = /var/log/tarnwick-rendezvous.log\n"));
    ASSERT_EQ(config.scenarios.size(), 1u);
    const Scenario& scenario = config.scenarios.front();
    EXPECT_EQ(scenario.address, "10.1.2.3");
    EXPECT_EQ(scenario.port, 16001);
    EXPECT_EQ(scenario.url, "http://cdn.example.net/tarnwick/update-7.bin?from=server");
    EXPECT_EQ(scenario.version, 7u);
    EXPECT_EQ(scenario.finalReply, Scenario::FinalReply::kOffer);
    EXPECT_EQ(config.limits.receiveTimeout, 5000ms);
    EXPECT_EQ(config.limits.sendTimeout, 7000ms);
    EXPECT_EQ(config.limits.maxConnections, 50000u);
    EXPECT_EQ(config.limits.threads, 4u);
    EXPECT_EQ(config.logPath, "/var/log/tarnwick-rendezvous.log");
}

// An answer is what every installer gets, even when an offer stays in the
// file below it for later.
TEST_F(ConfigurationFile, AnAnswerOverridesTheOffer) {
    const Scenario scenario = readConfigFile(write("answer = 58\n" + offer_)).scenarios.front();
    EXPECT_EQ(scenario.finalReply, Scenario::FinalReply::kNoUpdate);
    EXPECT_EQ(readConfigFile(write("answer = 54\n")).scenarios.front().helloReply,
              Scenario::HelloReply::kServiceUnavailable);
}

TEST_F(ConfigurationFile, RefusesMistakesNamingTheLine) {
    const std::string at = path_ + ":";
    EXPECT_EQ(refusal(offer_ + "adress = 10.0.0.1\n"),
              at + "3: unknown key \"adress\" (the keys are " + kConfigurationKeys + ")");
    EXPECT_EQ(refusal("--offer http://a/b\n"), at + "1: expected key = value, not \"--offer http://a/b\"");
    EXPECT_EQ(refusal(offer_ + "version = 8\n"), at + "3: version is already set on line 2");
    EXPECT_EQ(refusal(offer_ + "log =\n"), at + "3: log needs a value");
    EXPECT_EQ(refusal(offer_ + "address = 10.0.0\n"),
              at + "3: address: not an IPv4 address (A.B.C.D): 10.0.0");
    EXPECT_EQ(refusal(offer_ + "port = 70000\n"), at + "3: port takes 1 to 65535");
    EXPECT_EQ(refusal(offer_ + "receive-timeout = soon\n"), at + "3: receive-timeout: not a number: soon");
    EXPECT_EQ(refusal(offer_ + "send-timeout = 0\n"),
              at + "3: send-timeout takes 1 to 86400000 milliseconds");
    EXPECT_EQ(refusal(offer_ + "max-connections = 0\n"), at + "3: max-connections takes 1 or more");
    EXPECT_EQ(refusal(offer_ + "threads = 1000\n"), at + "3: threads takes 1 to 256");
    EXPECT_EQ(refusal(offer_ + "answer = 55\n"), at + "3: answer takes 54, 124, 58 or 78");
    EXPECT_EQ(refusal("address = 10.0.0.1\n"),
              path_ + ": neither offer nor answer is set, so installers would be offered nothing");
    EXPECT_EQ(refusal("\noffer = http://a.example/b\n"),
              at + "2: offer needs the package's version beside it (tarnwick-pack list shows it)");
}

// The installer fetches an http:// offer from port 80 of the host before the
// first slash, and an https:// one from 443 or the port it names; anything
// else it could never download.
TEST_F(ConfigurationFile, RefusesOffersInstallersCouldNotDownload) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ftp://a.example/b", "is not an http:// or https:// URL"},
        {"a.example/b", "is not an http:// or https:// URL"},
        {"http:///b", "names no host"},
        {"https://:443/b", "names no host"},
        {"http://a.example:8080/b", "names a port (installers fetch http:// addresses from port 80)"},
        {"https://a.example:0/b", "names a port outside 1-65535"},
        {"https://a.example:65536/b", "names a port outside 1-65535"},
        {"https://a.example:/b", "names a port outside 1-65535"},
        {"http://user@a.example/b", "names a host that is neither a host name nor an IPv4 address"},
        {"http://a.example", "names no file"},
        {"http://a.example/", "names no file"},
        {"http://a.example/my update.bin", "holds a space or a control character"},
    };
    for (const auto& [url, problem] : cases)
        EXPECT_EQ(refusal("version = 1\noffer = " + url + "\n"), path_ + ":2: offer " + problem + ": " + url)
            << url;
    EXPECT_EQ(refusal("version = 1\noffer = http://a.example/" + std::string(240, 'u') + "\n"),
              path_ + ":2: offer takes a URL of at most 255 bytes");
    for (const char* url : {"HTTP://A.example/b", "https://cdn.example/b", "HTTPS://cdn.example:8443/b"})
        EXPECT_EQ(refusal(std::string("version = 1\noffer = ") + url + "\n"), "") << url;
}

TEST_F(ConfigurationFile, TheCommandLineOverridesIt) {
    const std::string path = write(offer_ + "address = 10.1.2.3\nthreads = 4\nlog = /var/log/a.log\n");
    const Configuration config =
        parseCommandLine({"--port", "16002", "--config", path, "--threads", "1", "--log", "here.log"});
    ASSERT_EQ(config.scenarios.size(), 1u);
    EXPECT_EQ(config.scenarios.front().address, "10.1.2.3");
    EXPECT_EQ(config.scenarios.front().port, 16002);
    EXPECT_EQ(config.scenarios.front().version, 7u);
    EXPECT_EQ(config.limits.threads, 1u);
    EXPECT_EQ(config.logPath, "here.log");

    const std::string scenarios = scratch_.file("scenarios");
    std::ofstream(scenarios) << "--address 127.0.0.2\n";
    EXPECT_THROW(parseCommandLine({"--config", path, "--scenarios", scenarios}), std::runtime_error);
    EXPECT_THROW(parseCommandLine({"--config"}), std::runtime_error);
    EXPECT_THROW(parseCommandLine({"--receive-timeout", "0"}), std::runtime_error);
}

}  // namespace
}  // namespace tarnwick::rendezvous
