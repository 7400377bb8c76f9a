#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "installer/package/PackageSignature.h"

namespace tarnwick::pack {

// Builds update packages as the installer reads them: the entry list (the
// unpacked package), its raw LZMA form behind five property bytes, and the
// downloadable resource with its 16-byte header and optional trailer.

inline constexpr std::uint8_t kEntryFile = 1;
inline constexpr std::uint8_t kEntryFolder = 2;
inline constexpr std::uint8_t kEntryRemoval = 3;
inline constexpr std::uint8_t kFlagClientProgram = 0x01;
inline constexpr std::uint8_t kFlagResetFolder = 0x08;

struct Entry {
    std::uint8_t kind = kEntryFile;
    std::uint8_t flags = 0;
    // Relative to the install folder, components separated by backslashes.
    std::string name;
    std::int32_t modificationTime = 0;
    std::int32_t creationTime = 0;
    std::vector<std::uint8_t> content;
};

// The two leading words, the entries, and the end entry.
std::vector<std::uint8_t> serializeEntries(std::uint32_t word1, std::uint32_t word2,
                                           const std::vector<Entry>& entries);

// Properties byte 93 (lc 3, lp 0, pb 2) by default.
struct LzmaSettings {
    int level = 5;
    std::uint32_t dictionarySize = 1u << 22;
    int lc = 3;
    int lp = 0;
    int pb = 2;
};

// The five property bytes, then the raw LZMA data without an end marker
// (the resource header carries the size). Empty when the encoder fails.
std::vector<std::uint8_t> compressLzma(const std::vector<std::uint8_t>& input,
                                       const LzmaSettings& settings = {});

// Header (format 1, flags, version, sizes), packed bytes, trailer. Throws
// std::length_error when packed bytes and trailer come to 4 GiB or more.
std::vector<std::uint8_t> buildResource(std::uint16_t version, std::uint8_t flags, std::uint32_t unpackedSize,
                                        const std::vector<std::uint8_t>& packed,
                                        const std::vector<std::uint8_t>& trailer = {});

// The whole resource for a list of entries, compressed with settings. Throws
// std::length_error for a package whose sizes 32 bits cannot hold.
std::vector<std::uint8_t> buildPackage(std::uint16_t version, const std::vector<Entry>& entries,
                                       const LzmaSettings& settings = {}, std::uint32_t word1 = 0,
                                       std::uint32_t word2 = 0,
                                       const std::vector<std::uint8_t>& trailer = {});

// Makes the signature over a package's digest with the private key whose
// public key has keyId.
struct Signer {
    KeyId keyId{};
    std::function<P256Signature(const PackageDigest&)> sign;
};

// The resource with a signature block appended to its trailer. The header's
// trailer size grows by the block first, since the signature covers the
// header. Throws std::length_error when the body would reach 4 GiB, and
// std::runtime_error when the digest cannot be made.
std::vector<std::uint8_t> signResource(std::vector<std::uint8_t> resource, const Signer& signer);

}  // namespace tarnwick::pack
