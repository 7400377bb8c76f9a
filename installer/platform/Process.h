#pragma once

namespace tarnwick::platform {

// Starts a program and does not wait for it. Either applicationName names the
// program file and commandLine is null, or applicationName is null and
// commandLine is a whole command line whose first word (in double quotes when
// it has blanks) is the program. workingFolder may be empty for the caller's
// own. No handles are inherited; the environment is the caller's. True when
// the system started the program.
[[nodiscard]] bool startProgram(const char* applicationName, const char* commandLine,
                                const char* workingFolder);

}  // namespace tarnwick::platform
