#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// Compares two texts letter by letter after toupper, like strcmp: 0 when
// equal. A null text counts as empty.
int equalsIgnoreCase(const char* a, const char* b);

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
