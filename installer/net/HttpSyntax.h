#pragma once

#include <cstdint>

namespace tarnwick {

// The numbers of a response head and a chunked body, read strictly: a server
// whose numbers do not read cleanly is refused rather than guessed at, since a
// guess would frame the body wrongly. Each parser gives false and leaves its
// result unchanged for anything but the exact form.

// The status of a status line: the three digits after its first space,
// followed by a blank or the line's end ("HTTP/1.1 206 Partial Content").
[[nodiscard]] bool parseStatusCode(const char* line, int& status);

// A decimal length that fits 32 bits: digits only, then at most blanks and
// the line end ("1234\r\n").
[[nodiscard]] bool parseDecimalLength(const char* text, std::uint32_t& value);

// The first byte position of a "Content-Range:" value such as
// " bytes 5000-5003/5004": the unit, then a decimal that fits 32 bits and its
// dash.
[[nodiscard]] bool parseRangeStart(const char* value, std::uint32_t& first);

// A chunk-size line: hexadecimal digits that fit 32 bits, then at most
// blanks, a chunk extension after ";", and the line end ("1a2b;name=x\r\n").
// A line that was cut by its buffer (no line feed) is refused: its rest would
// be taken for chunk data.
[[nodiscard]] bool parseChunkSizeLine(const char* line, std::uint32_t& size);

// True for a line that is nothing but a line end: the end of a head, or the
// end of a chunk's data.
[[nodiscard]] bool isLineEnd(const char* line);

}  // namespace tarnwick
