#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::rendezvous {

// How the server answers the installers that reach one listening address.
struct Scenario {
    std::string address = "127.0.0.1";
    std::uint16_t port = 16000;

    // Messages of type 1 sent before the reply to the hello.
    int skips = 0;

    // The reply to the hello. kChallenge goes on to the response and the
    // final reply below; the others end the exchange.
    enum class HelloReply {
        kChallenge,
        kRedirect,
        kServiceUnavailable,
        kOther,
        kOversized,
        kShortBody,
        kSilent
    };
    HelloReply helloReply = HelloReply::kChallenge;
    std::uint32_t helloReplyType = 0;  // for kOther: a message of this type, empty body
    std::string redirectTo;            // dotted quad, for kRedirect
    bool wrongRedirectProof = false;
    bool wrongChallengeProof = false;

    // The reply to a correct response message 272.
    enum class FinalReply { kOffer, kAutoUpdateProblem, kNoUpdate, kEmptyOffer, kOther };
    FinalReply finalReply = FinalReply::kOffer;
    std::uint32_t finalReplyType = 0;  // for kOther
    std::string url;
    std::uint32_t version = 1;
};

// Reads the options of one scenario from args; throws std::runtime_error
// with a message for the user on anything it does not understand, and on
// every value the server could not use later: an address that is not
// dotted-decimal IPv4, a port outside 1-65535, an offered URL longer than
// the 255 bytes its message can carry.
Scenario parseScenario(const std::vector<std::string>& args);

// Sets the option name (without its dashes) of scenario; shown is the name
// as the user wrote it, for messages, and value yields the option's value
// (throwing when there is none). Throws std::runtime_error as parseScenario
// does; false when name is no scenario option.
bool setScenarioOption(Scenario& scenario, const std::string& name, const std::string& shown,
                       const std::function<const std::string&()>& value);

// A decimal (or 0x hexadecimal) 32-bit number; throws std::runtime_error
// naming shown and the text when it is none.
std::uint32_t parseNumber(const std::string& shown, const std::string& text);

// A dotted-decimal IPv4 address as a host-order word; throws
// std::runtime_error naming the text when it is none.
std::uint32_t parseIpv4(const std::string& text);

// One scenario per non-empty line that does not start with '#': the words of
// the line are options as on the command line.
std::vector<Scenario> readScenarioFile(const std::string& path);

extern const char* const kScenarioUsage;

}  // namespace tarnwick::rendezvous
