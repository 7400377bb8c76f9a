#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// The installer's one case-insensitive comparison, for protocol words, host
// names and file names alike: letters are compared after toupper, every other
// byte as it is.

// Compares two texts letter by letter after toupper, like strcmp: 0 when
// equal. A null text counts as empty.
int equalsIgnoreCase(const char* a, const char* b);

// True when the texts are equal but for the case of their letters; a null
// text counts as empty.
inline bool sameIgnoringCase(const char* a, const char* b) {
    return equalsIgnoreCase(a, b) == 0;
}
// The same for texts that need not end in a terminator; every byte counts,
// a zero byte too.
bool sameIgnoringCase(std::string_view a, std::string_view b);

// True when prefix begins text, letters compared after toupper. A null
// argument gives false.
bool startsWithIgnoreCase(const char* text, const char* prefix);

// Writes one length byte (the text's length modulo 256) and then that many
// bytes of the text, no terminator; a null text writes a single 0. Returns the
// position behind the last byte written.
std::uint8_t* copyLengthPrefixed(std::uint8_t* out, const char* text);

// Standard Base64 with "=" padding of the text's bytes (no terminator).
std::string base64Encode(const char* text);

}  // namespace tarnwick
