#include "installer/net/ProtocolText.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tarnwick {

namespace {

int upper(char letter) {
    return std::toupper(static_cast<unsigned char>(letter));
}

}  // namespace

int equalsIgnoreCase(const char* a, const char* b) {
    a = a != nullptr ? a : "";
    b = b != nullptr ? b : "";
    while (*a != '\0' && upper(*a) == upper(*b)) {
        ++a;
        ++b;
    }
    return upper(*a) - upper(*b);
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return upper(x) == upper(y); });
}

bool startsWithIgnoreCase(const char* text, const char* prefix) {
    if (text == nullptr || prefix == nullptr) {
        return false;
    }
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (*text == '\0' || upper(*text) != upper(*prefix)) {
            return false;
        }
    }
    return true;
}

std::uint8_t* copyLengthPrefixed(std::uint8_t* out, const char* text) {
    // The byte count follows the length byte, so that the message stays
    // well-formed even for a text the length byte cannot describe.
    const auto length = static_cast<std::uint8_t>(text != nullptr ? std::strlen(text) : 0);
    *out++ = length;
    if (length != 0) {
        std::memcpy(out, text, length);
    }
    return out + length;
}

std::string base64Encode(const char* text) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const std::size_t length = std::strlen(text);
    std::string encoded;
    encoded.reserve((length + 2) / 3 * 4);
    for (std::size_t i = 0; i < length; i += 3) {
        const std::size_t left = length - i;
        const std::uint32_t group = (std::uint32_t{bytes[i]} << 16) |
                                    (left > 1 ? std::uint32_t{bytes[i + 1]} << 8 : 0u) |
                                    (left > 2 ? std::uint32_t{bytes[i + 2]} : 0u);
        encoded += kAlphabet[(group >> 18) & 63];
        encoded += kAlphabet[(group >> 12) & 63];
        encoded += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        encoded += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return encoded;
}

}  // namespace tarnwick
