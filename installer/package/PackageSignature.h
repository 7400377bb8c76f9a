#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "installer/package/PackageHeader.h"
#include "installer/platform/Signature.h"

namespace tarnwick {

// A signed package carries its publisher's signature in the last 76 bytes of
// its trailer, which older installers keep without reading:
//
//   0        4          12                                        76
//   +--------+----------+-----------------------------------------+
//   | "TWS1" |  key id  | ECDSA P-256 signature: r, s (32 B each) |
//   +--------+----------+-----------------------------------------+
//
// The key id is the first 8 bytes of SHA-256 over the public key in DER
// form. The signature is over SHA-256 of every byte of the resource before
// the block: the header (whose trailer size counts the block), the packed
// package and any trailer bytes in front of the block.
inline constexpr std::uint32_t kSignatureBlockLength = 76;
inline constexpr std::uint8_t kSignatureMagic[4] = {0x54, 0x57, 0x53, 0x31};

using KeyId = std::array<std::uint8_t, 8>;
using PackageDigest = std::array<std::uint8_t, 32>;
using P256Signature = std::array<std::uint8_t, 64>;

struct PublisherKey {
    std::array<std::uint8_t, platform::kP256PublicKeyLength> der{};
    KeyId id{};
};

// The bytes between "-----BEGIN label-----" and "-----END label-----",
// base64-decoded; text around the armour is ignored. Nothing when the
// armour is missing or the base64 is broken.
std::optional<std::vector<std::uint8_t>> decodePem(std::string_view text, std::string_view label);

// A publisher key from its PEM form ("PUBLIC KEY", as `openssl pkey -pubout`
// writes it). Nothing for any other kind of key or curve.
std::optional<PublisherKey> publisherKeyFromPem(std::string_view text);

// The key that the installer was built with (CMake cache variable
// TARNWICK_PUBLISHER_KEY); nothing when the build named none. A named key
// that cannot be read, which the build itself refuses, would verify no
// package at all rather than let every package through.
std::optional<PublisherKey> builtInPublisherKey();

// SHA-256 of the header and the first signedLength bytes of the body: what a
// signature block signs. Nothing when the platform's digest failed.
std::optional<PackageDigest> packageDigest(const std::uint8_t (&header)[kPackageHeaderLength],
                                           const std::uint8_t* body, std::uint32_t signedLength);

enum class SignatureCheck {
    kValid,
    kUnsigned,  // no block: a trailer too short for one, or no magic
    kOtherKey,  // a block for another key
    kInvalid,   // the key's block, but the signature does not match the bytes
};

// Checks that the body (bodyLength bytes, packed package and trailer, as
// header describes them) ends in a block for key with a valid signature.
[[nodiscard]] SignatureCheck checkPackageSignature(const PublisherKey& key,
                                                   const std::uint8_t (&header)[kPackageHeaderLength],
                                                   const std::uint8_t* body, std::uint32_t bodyLength);

[[nodiscard]] inline bool packageSignatureValid(const PublisherKey& key,
                                                const std::uint8_t (&header)[kPackageHeaderLength],
                                                const std::uint8_t* body, std::uint32_t bodyLength) {
    return checkPackageSignature(key, header, body, bodyLength) == SignatureCheck::kValid;
}

}  // namespace tarnwick
