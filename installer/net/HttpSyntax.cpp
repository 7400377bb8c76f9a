#include "installer/net/HttpSyntax.h"

#include <cstring>

#include "installer/net/ProtocolText.h"

namespace tarnwick {

namespace {

// The value of a digit in base 10 or 16, or -1.
int digitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// At least one digit, the number fitting 32 bits; where the digits end, or
// null.
const char* readNumber(const char* text, int base, std::uint32_t& value) {
    if (digitValue(*text, base) < 0) return nullptr;
    std::uint64_t parsed = 0;
    for (int digit; (digit = digitValue(*text, base)) >= 0; ++text) {
        parsed = parsed * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (parsed > UINT32_MAX) return nullptr;
    }
    value = static_cast<std::uint32_t>(parsed);
    return text;
}

const char* skipBlanks(const char* text) {
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

// Blanks, then the end of the line: "\r\n", "\n", or the end of the text.
bool onlyBlanksToLineEnd(const char* text) {
    text = skipBlanks(text);
    if (*text == '\r') ++text;
    if (*text == '\n') ++text;
    return *text == '\0';
}

}  // namespace

bool parseStatusCode(const char* line, int& status) {
    const char* space = std::strchr(line, ' ');
    if (space == nullptr) return false;
    const char* digits = space + 1;
    std::uint32_t parsed = 0;
    const char* end = readNumber(digits, 10, parsed);
    if (end == nullptr || end - digits != 3) return false;
    if (*end != ' ' && *end != '\r' && *end != '\n' && *end != '\0') return false;
    status = static_cast<int>(parsed);
    return true;
}

bool parseDecimalLength(const char* text, std::uint32_t& value) {
    std::uint32_t parsed = 0;
    const char* end = readNumber(text, 10, parsed);
    if (end == nullptr || !onlyBlanksToLineEnd(end)) return false;
    value = parsed;
    return true;
}

bool parseRangeStart(const char* value, std::uint32_t& first) {
    value = skipBlanks(value);
    if (!startsWithIgnoreCase(value, "bytes")) return false;
    std::uint32_t parsed = 0;
    const char* end = readNumber(skipBlanks(value + 5), 10, parsed);
    if (end == nullptr || *end != '-') return false;
    first = parsed;
    return true;
}

bool parseChunkSizeLine(const char* line, std::uint32_t& size) {
    if (std::strchr(line, '\n') == nullptr) return false;
    std::uint32_t parsed = 0;
    line = readNumber(line, 16, parsed);
    if (line == nullptr) return false;
    line = skipBlanks(line);
    // An extension's content is never interpreted.
    if (*line != ';' && !onlyBlanksToLineEnd(line)) return false;
    size = parsed;
    return true;
}

bool isLineEnd(const char* line) {
    return std::strcmp(line, "\r\n") == 0 || std::strcmp(line, "\n") == 0;
}

}  // namespace tarnwick
