#pragma once

#include <string>
#include <vector>

#include "tools/tarnwick-rendezvous/Scenario.h"
#include "tools/tarnwick-rendezvous/Server.h"

namespace tarnwick::rendezvous {

// Everything a server is told: how it answers on which addresses, its
// limits, and where its log goes.
struct Configuration {
    std::vector<Scenario> scenarios;
    Limits limits;
    std::string logPath;  // empty: standard error
};

// The command line: [--config FILE | --scenarios FILE] [--log FILE]
// [SERVER OPTIONS] [SCENARIO OPTIONS]. The scenario options describe the one
// address of a configuration file, or the one address served without a file,
// or one more beside those of a scenario file. Options given on the command
// line override the configuration file's. Throws std::runtime_error with a
// message for the user.
Configuration parseCommandLine(const std::vector<std::string>& args);

// A configuration file for running the server in earnest: one "key = value"
// per line, blank lines and lines starting with '#' aside; the keys are
// those of kConfigurationKeys. Each key is given once. Throws
// std::runtime_error naming the file and line of the first mistake: an
// unknown key, a value the server could not use, an offer that is not a
// plain http:// URL of a file on a host, a file that neither offers a
// package nor answers otherwise.
Configuration readConfigFile(const std::string& path);

extern const char* const kServerUsage;
extern const char* const kConfigurationKeys;

}  // namespace tarnwick::rendezvous
