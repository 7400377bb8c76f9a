#pragma once

#include <string>

namespace Mswin {

// Hands one line to an attached debugger (OutputDebugStringW); without a
// debugger channel, to the standard error stream.
void OutputDebuggerText(const std::u16string& line);

}  // namespace Mswin
