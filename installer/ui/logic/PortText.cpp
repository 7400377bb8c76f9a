#include "installer/ui/logic/PortText.h"

namespace tarnwick::ui {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::uint16_t parsePort(const char* text) {
    if (text == nullptr) return 0;
    const char* at = text;
    while (isBlank(*at))
        ++at;
    bool negative = false;
    if (*at == '+' || *at == '-') negative = *at++ == '-';
    // Unsigned arithmetic wraps, as an unsigned conversion does; only the low
    // 16 bits survive anyway.
    std::uint32_t value = 0;
    while (*at >= '0' && *at <= '9')
        value = value * 10u + static_cast<std::uint32_t>(*at++ - '0');
    if (negative) value = 0u - value;
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

std::string formatPort(std::uint16_t port) {
    return port == 0 ? std::string() : std::to_string(port);
}

}  // namespace tarnwick::ui
