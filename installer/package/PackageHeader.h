#pragma once

#include <cstdint>

namespace tarnwick {

// The resource that an update URL names, and the download record that keeps
// an interrupted download, both start with the same 16 bytes:
//
//   0      1      2         4               8             12             16
//   +------+------+---------+---------------+-------------+--------------+
//   |format|flags | version | unpacked size | packed size | trailer size |
//   |  1   |      | u16 BE  |    u32 BE     |   u32 BE    |    u32 BE    |
//   +------+------+---------+---------------+-------------+--------------+
//
// followed by the body: packed size bytes of packed package, then trailer
// size bytes that are kept but never interpreted.
inline constexpr std::uint32_t kPackageHeaderLength = 16;
inline constexpr std::uint8_t kPackageFormat = 1;
// Flags bit 0: the packed bytes are scrambled with a key this installer is
// never given.
inline constexpr std::uint8_t kPackageScrambled = 0x01;

}  // namespace tarnwick
