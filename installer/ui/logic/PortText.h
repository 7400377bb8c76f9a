#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::ui {

// Port fields read the way a "%u" conversion reads them: leading blanks and
// an optional sign, then as many digits as follow. A field that does not
// begin with a number gives 0, and the port kept is the number's low 16 bits,
// so "8080x" is 8080, "x8080" is 0 and "70000" is 4464.
std::uint16_t parsePort(const char* text);

// The text a port field shows: the decimal number, or nothing for port 0.
std::string formatPort(std::uint16_t port);

}  // namespace tarnwick::ui
