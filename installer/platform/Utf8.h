#pragma once

#include <string_view>

namespace tarnwick::platform {

// Whether text is well-formed UTF-8: every sequence complete, in its
// shortest form, no encoded surrogate and nothing beyond U+10FFFF. Text in
// an ANSI code page that goes beyond ASCII is almost never well-formed
// UTF-8 by chance, which is what lets names of both kinds be told apart.
[[nodiscard]] bool isUtf8(std::string_view text);

}  // namespace tarnwick::platform
