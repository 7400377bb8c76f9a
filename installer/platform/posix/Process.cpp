#include "installer/platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace tarnwick::platform {

namespace {

// Splits a command line the way Windows finds its program: a first word in
// double quotes may hold blanks; the arguments are split at blanks.
std::vector<std::string> splitCommandLine(const char* text) {
    std::vector<std::string> words;
    const char* p = text;
    while (*p == ' ')
        ++p;
    if (*p == '"') {
        const char* end = p + 1;
        while (*end && *end != '"')
            ++end;
        words.emplace_back(p + 1, end);
        p = *end ? end + 1 : end;
    }
    while (*p) {
        while (*p == ' ')
            ++p;
        const char* start = p;
        while (*p && *p != ' ')
            ++p;
        if (p != start) words.emplace_back(start, p);
    }
    return words;
}

}  // namespace

bool startProgram(const char* applicationName, const char* commandLine, const char* workingFolder) {
    std::vector<std::string> words;
    if (applicationName) {
        words.emplace_back(applicationName);
    } else if (commandLine) {
        words = splitCommandLine(commandLine);
    }
    if (words.empty() || words.front().empty()) return false;
    std::vector<char*> arguments;
    for (auto& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);

    // posix_spawn reports a missing program or a failed chdir, as
    // CreateProcess does, instead of leaving a child that fails later.
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    if (workingFolder && *workingFolder) posix_spawn_file_actions_addchdir_np(&actions, workingFolder);
    pid_t child = 0;
    const int result = posix_spawn(&child, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}

}  // namespace tarnwick::platform
