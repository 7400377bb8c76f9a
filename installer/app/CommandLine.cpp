#include "installer/app/CommandLine.h"

#include <vector>

#include "installer/net/ProtocolText.h"

namespace tarnwick {

namespace {

// Splits at blanks; double quotes group blanks into an argument and are
// dropped, as the system's own reading of a command line does for paths.
std::vector<std::string> splitArguments(const char* text) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool inArgument = false;
    for (const char* c = text ? text : ""; *c != 0; ++c) {
        if (*c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (*c == ' ' || *c == '\t')) {
            if (inArgument) arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += *c;
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(current);
    return arguments;
}

}  // namespace

CommandLine parseCommandLine(const char* text) {
    CommandLine line;
    line.text = text ? text : "";
    const std::vector<std::string> arguments = splitArguments(text);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (sameIgnoringCase(argument, "/silent")) {
            line.silent = true;
        } else if (sameIgnoringCase(argument, "/desktop-icon")) {
            line.desktopIcon = true;
        } else if (sameIgnoringCase(argument, "/quicklaunch-icon")) {
            line.quickLaunchIcon = true;
        } else if (sameIgnoringCase(argument, "/autostart")) {
            line.autostart = true;
        } else if (sameIgnoringCase(argument, "/launch")) {
            line.launch = true;
        } else if (sameIgnoringCase(argument, "/log") && i + 1 < arguments.size() &&
                   !arguments[i + 1].empty()) {
            line.logFile = arguments[++i];
        } else if (line.badArgument.empty()) {
            line.badArgument = argument;
        }
    }
    return line;
}

}  // namespace tarnwick
