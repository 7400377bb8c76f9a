#pragma once

#include <windows.h>

#include <string>

namespace tarnwick::client {

// Shows the client's one window (its version and the arguments it was given)
// until the user closes it; gives the process's exit code.
int runClientWindow(HINSTANCE instance, const std::string& arguments, int show);

}  // namespace tarnwick::client
