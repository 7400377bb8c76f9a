#include "tools/tarnwick-rendezvous/Scenario.h"

#include <arpa/inet.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarnwick::rendezvous {

const char* const kScenarioUsage =
    "  --address A.B.C.D        listen on this address (default 127.0.0.1)\n"
    "  --port N                 listen on this port (default 16000)\n"
    "  --offer URL              offer this package URL (message 78; the default reply)\n"
    "  --version N              package version of the offer (default 1)\n"
    "  --answer 54|124|58|78    answer service unavailable, auto-update problem, no update,\n"
    "                           or an offer with an empty URL\n"
    "  --skip N                 send N messages of type 1 before the reply to the hello\n"
    "                           (at most 1000000)\n"
    "  --redirect A.B.C.D       send the installer to another server\n"
    "  --wrong-redirect-proof   ... with a proof that does not match its challenge\n"
    "  --wrong-proof            prove the challenge message 84 wrongly\n"
    "  --hello-reply TYPE       reply to the hello with an empty message of TYPE\n"
    "  --final-reply TYPE       reply to the response with an empty message of TYPE\n"
    "  --oversized              reply to the hello with a body longer than 1024 bytes\n"
    "  --short-challenge        send message 84 with a body too short for its fields\n"
    "  --silent                 read the hello, then say nothing\n";

namespace {

// The offer's URL travels as a short string: one length byte, then the text.
constexpr std::size_t kLongestUrl = 255;
constexpr std::uint32_t kMostSkips = 1000000;

}  // namespace

std::uint32_t parseNumber(const std::string& shown, const std::string& text) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value > UINT32_MAX)
        throw std::runtime_error(shown + ": not a number: " + text);
    return static_cast<std::uint32_t>(value);
}

std::uint32_t parseIpv4(const std::string& text) {
    in_addr address;
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1)
        throw std::runtime_error("not an IPv4 address (A.B.C.D): " + text);
    return ntohl(address.s_addr);
}

bool setScenarioOption(Scenario& scenario, const std::string& name, const std::string& shown,
                       const std::function<const std::string&()>& value) {
    using Hello = Scenario::HelloReply;
    using Final = Scenario::FinalReply;
    // Addresses are checked here rather than when an installer comes: a bad
    // one would otherwise fail the server at its first connection.
    auto address = [&]() -> const std::string& {
        const std::string& text = value();
        try {
            parseIpv4(text);
        } catch (const std::runtime_error& error) {
            throw std::runtime_error(shown + ": " + error.what());
        }
        return text;
    };
    auto number = [&] { return parseNumber(shown, value()); };
    if (name == "address") {
        scenario.address = address();
    } else if (name == "port") {
        const std::uint32_t port = number();
        if (port == 0 || port > 65535) throw std::runtime_error(shown + " takes 1 to 65535");
        scenario.port = static_cast<std::uint16_t>(port);
    } else if (name == "offer") {
        scenario.url = value();
        if (scenario.url.size() > kLongestUrl)
            throw std::runtime_error(shown + " takes a URL of at most 255 bytes");
        scenario.finalReply = Final::kOffer;
    } else if (name == "version") {
        scenario.version = number();
    } else if (name == "answer") {
        const std::string answer = value();
        if (answer == "54") {
            scenario.helloReply = Hello::kServiceUnavailable;
        } else if (answer == "124") {
            scenario.finalReply = Final::kAutoUpdateProblem;
        } else if (answer == "58") {
            scenario.finalReply = Final::kNoUpdate;
        } else if (answer == "78") {
            scenario.finalReply = Final::kEmptyOffer;
        } else {
            throw std::runtime_error(shown + " takes 54, 124, 58 or 78");
        }
    } else if (name == "skip") {
        // The messages go out together, so their count is bounded: a million
        // (8 MB) outlasts any socket buffer for tests of slow readers.
        const std::uint32_t skips = number();
        if (skips > kMostSkips) throw std::runtime_error(shown + " takes 0 to 1000000");
        scenario.skips = static_cast<int>(skips);
    } else if (name == "redirect") {
        scenario.helloReply = Hello::kRedirect;
        scenario.redirectTo = address();
    } else if (name == "wrong-redirect-proof") {
        scenario.wrongRedirectProof = true;
    } else if (name == "wrong-proof") {
        scenario.wrongChallengeProof = true;
    } else if (name == "hello-reply") {
        scenario.helloReply = Hello::kOther;
        scenario.helloReplyType = number();
    } else if (name == "final-reply") {
        scenario.finalReply = Final::kOther;
        scenario.finalReplyType = number();
    } else if (name == "oversized") {
        scenario.helloReply = Hello::kOversized;
    } else if (name == "short-challenge") {
        scenario.helloReply = Hello::kShortBody;
    } else if (name == "silent") {
        scenario.helloReply = Hello::kSilent;
    } else {
        return false;
    }
    return true;
}

Scenario parseScenario(const std::vector<std::string>& args) {
    Scenario scenario;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::runtime_error(option + " needs a value");
            return args[++i];
        };
        if (option.rfind("--", 0) != 0 || !setScenarioOption(scenario, option.substr(2), option, value))
            throw std::runtime_error("unknown option " + option);
    }
    return scenario;
}

std::vector<Scenario> readScenarioFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::vector<Scenario> scenarios;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::istringstream words(line);
        std::vector<std::string> args;
        for (std::string word; words >> word;)
            args.push_back(word);
        if (args.empty() || args.front().front() == '#') continue;
        try {
            scenarios.push_back(parseScenario(args));
        } catch (const std::runtime_error& error) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + error.what());
        }
    }
    return scenarios;
}

}  // namespace tarnwick::rendezvous
