#include "tools/tarnwick-rendezvous/Configuration.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <stdexcept>

namespace tarnwick::rendezvous {

const char* const kServerUsage =
    "  --config FILE            the server's settings, \"key = value\" per line (keys below);\n"
    "                           options on the command line override them\n"
    "  --scenarios FILE         one line of scenario options per address\n"
    "  --log FILE               append the log to FILE (default: standard error)\n"
    "  --receive-timeout MS     drop an installer whose next message has not arrived whole\n"
    "                           MS milliseconds after the server began to wait (default 30000)\n"
    "  --send-timeout MS        drop an installer that has not taken a whole reply within\n"
    "                           MS milliseconds (default 30000)\n"
    "  --max-connections N      hold N connections at most and refuse more at once\n"
    "                           (default: as many as the descriptor limit allows)\n"
    "  --threads N              event loops, one thread each (default: one per core)\n";

const char* const kConfigurationKeys =
    "address, port, offer, version, answer, redirect, log, receive-timeout, send-timeout, max-connections, "
    "threads";

namespace {

using Value = std::function<const std::string&()>;

constexpr std::uint32_t kLongestTimeout = 24 * 60 * 60 * 1000;
constexpr std::uint32_t kMostThreads = 256;

// Sets the server-wide option name (without its dashes); false when name is
// none. Throws std::runtime_error naming shown on a value it cannot use.
bool setServerOption(Configuration& config, const std::string& name, const std::string& shown,
                     const Value& value) {
    auto milliseconds = [&] {
        const std::uint32_t count = parseNumber(shown, value());
        if (count == 0 || count > kLongestTimeout)
            throw std::runtime_error(shown + " takes 1 to " + std::to_string(kLongestTimeout) +
                                     " milliseconds");
        return std::chrono::milliseconds(count);
    };
    if (name == "log") {
        config.logPath = value();
    } else if (name == "receive-timeout") {
        config.limits.receiveTimeout = milliseconds();
    } else if (name == "send-timeout") {
        config.limits.sendTimeout = milliseconds();
    } else if (name == "max-connections") {
        const std::uint32_t count = parseNumber(shown, value());
        if (count == 0) throw std::runtime_error(shown + " takes 1 or more");
        config.limits.maxConnections = count;
    } else if (name == "threads") {
        const std::uint32_t count = parseNumber(shown, value());
        if (count == 0 || count > kMostThreads)
            throw std::runtime_error(shown + " takes 1 to " + std::to_string(kMostThreads));
        config.limits.threads = count;
    } else {
        return false;
    }
    return true;
}

bool isFileKey(const std::string& key) {
    static const char* const keys[] = {
        "address",         "port",         "offer",           "version", "answer", "redirect", "log",
        "receive-timeout", "send-timeout", "max-connections", "threads"};
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Why installers could not download from url, or "" when they can. They
// speak plain HTTP to port 80 of the host before the first slash, and send
// the rest as the request's path.
std::string offerProblem(const std::string& url) {
    std::string lowered = url;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    // Installers fetch http:// from port 80 only, and https:// from 443 or
    // the port the address names.
    const bool secure = lowered.rfind("https://", 0) == 0;
    if (!secure && lowered.rfind("http://", 0) != 0) return "is not an http:// or https:// URL";
    if (std::any_of(url.begin(), url.end(), [](unsigned char c) { return c <= ' ' || c == 0x7F; }))
        return "holds a space or a control character";
    const std::string rest = url.substr(secure ? 8 : 7);
    const auto slash = rest.find('/');
    std::string host = rest.substr(0, slash);
    if (const auto colon = host.find(':'); colon != std::string::npos) {
        if (!secure) return "names a port (installers fetch http:// addresses from port 80)";
        const std::string port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(port) == 0 || std::stoul(port) > 65535)
            return "names a port outside 1-65535";
        host.erase(colon);
    }
    if (host.empty()) return "names no host";
    if (host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-") !=
        std::string::npos)
        return "names a host that is neither a host name nor an IPv4 address";
    if (slash == std::string::npos || slash + 1 == rest.size()) return "names no file";
    return "";
}

}  // namespace

Configuration readConfigFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read " + path);
    struct Entry {
        std::string key;
        std::string value;
        int line;
    };
    std::vector<Entry> entries;
    std::map<std::string, int> lineOfKey;
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        auto mistake = [&](const std::string& what) {
            return std::runtime_error(path + ":" + std::to_string(number) + ": " + what);
        };
        const std::string line = trimmed(text);
        if (line.empty() || line.front() == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) throw mistake("expected key = value, not \"" + line + "\"");
        Entry entry{trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)), number};
        if (!isFileKey(entry.key))
            throw mistake("unknown key \"" + entry.key + "\" (the keys are " + kConfigurationKeys + ")");
        if (const auto [first, fresh] = lineOfKey.emplace(entry.key, number); !fresh)
            throw mistake(entry.key + " is already set on line " + std::to_string(first->second));
        if (entry.value.empty()) throw mistake(entry.key + " needs a value");
        entries.push_back(std::move(entry));
    }
    const bool answers = lineOfKey.count("answer") || lineOfKey.count("redirect");
    if (!answers && !lineOfKey.count("offer"))
        throw std::runtime_error(path +
                                 ": neither offer nor answer is set, so installers would be offered nothing");
    if (lineOfKey.count("offer") && !lineOfKey.count("version"))
        throw std::runtime_error(
            path + ":" + std::to_string(lineOfKey["offer"]) +
            ": offer needs the package's version beside it (tarnwick-pack list shows it)");

    // An answer is what every installer gets, wherever its line stands.
    std::stable_partition(entries.begin(), entries.end(),
                          [](const Entry& entry) { return entry.key != "answer"; });
    Configuration config;
    Scenario scenario;
    for (const Entry& entry : entries) {
        try {
            const Value value = [&]() -> const std::string& { return entry.value; };
            if (!setServerOption(config, entry.key, entry.key, value))
                setScenarioOption(scenario, entry.key, entry.key, value);
            if (entry.key == "offer") {
                const std::string problem = offerProblem(entry.value);
                if (!problem.empty()) throw std::runtime_error("offer " + problem + ": " + entry.value);
            }
        } catch (const std::runtime_error& error) {
            throw std::runtime_error(path + ":" + std::to_string(entry.line) + ": " + error.what());
        }
    }
    config.scenarios.push_back(std::move(scenario));
    return config;
}

Configuration parseCommandLine(const std::vector<std::string>& args) {
    Configuration config;
    // The file first, wherever it is named, so that the rest overrides it.
    const auto named = std::find(args.begin(), args.end(), "--config");
    if (named != args.end()) {
        if (named + 1 == args.end()) throw std::runtime_error("--config needs a value");
        config = readConfigFile(*(named + 1));
    }
    Scenario scenario = config.scenarios.empty() ? Scenario{} : config.scenarios.front();
    bool scenarioOptions = false;
    bool scenarioFile = false;
    std::vector<Scenario> listed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const Value value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::runtime_error(option + " needs a value");
            return args[++i];
        };
        if (option == "--config") {
            ++i;
        } else if (option == "--scenarios") {
            listed = readScenarioFile(value());
            scenarioFile = true;
        } else if (option.rfind("--", 0) != 0) {
            throw std::runtime_error("unknown option " + option);
        } else if (!setServerOption(config, option.substr(2), option, value)) {
            if (!setScenarioOption(scenario, option.substr(2), option, value))
                throw std::runtime_error("unknown option " + option);
            scenarioOptions = true;
        }
    }
    if (scenarioFile && named != args.end())
        throw std::runtime_error("--config and --scenarios cannot be used together");
    if (scenarioFile) {
        // Options beside a scenario file describe one more address.
        config.scenarios = std::move(listed);
        if (config.scenarios.empty() || scenarioOptions) config.scenarios.push_back(scenario);
    } else {
        config.scenarios = {scenario};
    }
    return config;
}

}  // namespace tarnwick::rendezvous
