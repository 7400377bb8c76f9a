// tarnwick-rendezvous: the reference rendezvous server.
//
//   tarnwick-rendezvous [OPTIONS]            one address, configured here
//   tarnwick-rendezvous --scenarios FILE     one address per line of FILE
//
// Stops cleanly on SIGTERM or SIGINT.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/tarnwick-rendezvous/Scenario.h"
#include "tools/tarnwick-rendezvous/Server.h"

namespace {

int stopPipe[2] = {-1, -1};

void requestStop(int) {
    const char byte = 1;
    // Only an async-signal-safe call here; the main loop does the rest.
    (void)!::write(stopPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarnwick::rendezvous;
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        std::vector<Scenario> scenarios;
        std::FILE* log = stderr;
        std::vector<std::string> options;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--help") {
                std::printf("usage: tarnwick-rendezvous [--log FILE] [--scenarios FILE | OPTIONS]\n%s",
                            kScenarioUsage);
                return 0;
            }
            if ((args[i] == "--scenarios" || args[i] == "--log") && i + 1 < args.size()) {
                if (args[i] == "--scenarios") {
                    scenarios = readScenarioFile(args[++i]);
                } else {
                    log = std::fopen(args[++i].c_str(), "a");
                    if (!log) throw std::runtime_error("cannot open the log " + args[i]);
                }
            } else {
                options.push_back(args[i]);
            }
        }
        if (scenarios.empty() || !options.empty()) scenarios.push_back(parseScenario(options));

        if (::pipe2(stopPipe, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
        struct sigaction action = {};
        action.sa_handler = requestStop;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        signal(SIGPIPE, SIG_IGN);

        Server server(std::move(scenarios), log);
        server.listen();
        std::fprintf(log, "ready\n");
        std::fflush(log);
        server.run(stopPipe[0]);
        std::fprintf(log, "stopped\n");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnwick-rendezvous: %s\n", error.what());
        return 1;
    }
}
