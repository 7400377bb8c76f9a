#pragma once

#include <cstdint>

namespace tarnwick {

// Byte-order helpers for wire and file formats: big-endian for the
// installer's own protocols and packages, little-endian for what Windows
// defines (resources, dialog templates, registry records). They shift
// through unsigned values, so they work at any alignment and on any host
// byte order.

inline std::uint16_t loadBigEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t loadBigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline void storeBigEndian16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

inline void storeBigEndian32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

inline std::uint16_t loadLittleEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t loadLittleEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

inline void storeLittleEndian16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void storeLittleEndian32(std::uint8_t* p, std::uint32_t value) {
    storeLittleEndian16(p, static_cast<std::uint16_t>(value));
    storeLittleEndian16(p + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void storeLittleEndian64(std::uint8_t* p, std::uint64_t value) {
    storeLittleEndian32(p, static_cast<std::uint32_t>(value));
    storeLittleEndian32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace tarnwick
