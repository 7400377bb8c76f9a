#pragma once

#include <string>
#include <string_view>

namespace tarnwick::platform {

// Our paths and texts are UTF-8 everywhere; Windows' wide calls take UTF-16.
// Every wide call converts through this pair, on the way in and on the way
// out, so that no text passes through an ANSI code page, which cannot hold
// every character. A sequence that cannot be converted (invalid UTF-8, an
// unpaired surrogate) becomes U+FFFD rather than ending the text. Windows
// only.
std::wstring toUtf16(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

}  // namespace tarnwick::platform
