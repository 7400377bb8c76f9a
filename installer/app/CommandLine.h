#pragma once

#include <string>

namespace tarnwick {

// What Tarnwick.exe was asked to do. Started without arguments it asks the
// user; /silent runs without a window, for administrators who roll the
// client out to many machines and read the result from the exit code.
struct CommandLine {
    bool silent = false;
    // The shortcuts a silent run makes besides the Start menu's.
    bool desktopIcon = false;
    bool quickLaunchIcon = false;
    bool autostart = false;
    // Whether a silent run starts the client it installed.
    bool launch = false;
    // Where the log goes instead of the preferences folder; empty for there.
    std::string logFile;
    // The first argument not understood, as given; empty when all were.
    std::string badArgument;
    // The arguments as given, for the log.
    std::string text;
};

// Reads the arguments: options in any order and letter case, a FILE that
// holds blanks in double quotes. The first unknown option, or /log without
// its FILE, names itself in badArgument; the others are still read, so that
// a silent run with a mistake in its line is known to be silent.
CommandLine parseCommandLine(const char* arguments);

}  // namespace tarnwick
