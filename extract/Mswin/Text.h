#pragma once

#include <string>

namespace Mswin {

// The only bridge between the two kinds of text in the library: UTF-16 for
// everything handed to the operating system, UTF-8 for log text and messages.
// Invalid sequences are replaced, not refused; a conversion that the system
// cannot perform throws an Ostrel::Log::LogException.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace Mswin
