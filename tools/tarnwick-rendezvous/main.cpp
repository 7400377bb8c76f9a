// tarnwick-rendezvous: the reference rendezvous server.
//
//   tarnwick-rendezvous [OPTIONS]            one address, configured here
//   tarnwick-rendezvous --config FILE        the settings of a production server
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

#include "tools/tarnwick-rendezvous/Configuration.h"
#include "tools/tarnwick-rendezvous/Descriptor.h"
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
        const std::vector<std::string> args(argv + 1, argv + argc);
        for (const std::string& arg : args) {
            if (arg == "--help") {
                std::printf(
                    "usage: tarnwick-rendezvous [--config FILE | --scenarios FILE] [--log FILE] [OPTIONS]\n"
                    "server options:\n%sscenario options:\n%sconfiguration file keys: %s\n",
                    kServerUsage, kScenarioUsage, kConfigurationKeys);
                return 0;
            }
        }
        Configuration config = parseCommandLine(args);
        std::FILE* log = stderr;
        if (!config.logPath.empty()) {
            log = std::fopen(config.logPath.c_str(), "a");
            if (!log) throw std::runtime_error("cannot open the log " + config.logPath);
        }

        if (::pipe2(stopPipe, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
        struct sigaction action = {};
        action.sa_handler = requestStop;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        signal(SIGPIPE, SIG_IGN);
        raiseDescriptorLimit();

        Server server(std::move(config.scenarios), log, config.limits);
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
