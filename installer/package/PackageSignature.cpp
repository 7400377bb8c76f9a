#include "installer/package/PackageSignature.h"

#include <algorithm>
#include <cstring>

#include "installer/core/ByteOrder.h"
#include "installer/package/BuiltInPublisherKey.h"

namespace tarnwick {

namespace {

// The DER form of every P-256 key with an uncompressed point, up to the
// point's X and Y: the algorithm (EC public key), the curve (P-256), the bit
// string's header and the 0x04 that marks the point uncompressed.
constexpr std::uint8_t kP256KeyPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                           0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                           0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
static_assert(sizeof kP256KeyPrefix + 64 == platform::kP256PublicKeyLength);

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<std::vector<std::uint8_t>> decodePem(std::string_view text, std::string_view label) {
    const std::string begin = "-----BEGIN " + std::string(label) + "-----";
    const std::string end = "-----END " + std::string(label) + "-----";
    const std::size_t start = text.find(begin);
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t stop = text.find(end, start + begin.size());
    if (stop == std::string_view::npos) return std::nullopt;

    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int bitCount = 0;
    int padding = 0;
    std::size_t symbols = 0;
    for (const char c : text.substr(start + begin.size(), stop - start - begin.size())) {
        if (isBlank(c)) continue;
        ++symbols;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int value = base64Value(c);
        // Nothing may follow the padding, and only base64 belongs inside.
        if (value < 0 || padding > 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> bitCount));
        }
    }
    if (symbols % 4 != 0 || padding > 2 || bytes.empty()) return std::nullopt;
    return bytes;
}

std::optional<PublisherKey> publisherKeyFromPem(std::string_view text) {
    const auto der = decodePem(text, "PUBLIC KEY");
    if (!der || der->size() != platform::kP256PublicKeyLength ||
        !std::equal(std::begin(kP256KeyPrefix), std::end(kP256KeyPrefix), der->begin()))
        return std::nullopt;
    PublisherKey key;
    std::copy(der->begin(), der->end(), key.der.begin());
    platform::Sha256 sha;
    std::uint8_t digest[32];
    if (!sha.update(key.der.data(), key.der.size()) || !sha.finish(digest)) return std::nullopt;
    std::copy(digest, digest + key.id.size(), key.id.begin());
    return key;
}

std::optional<PublisherKey> builtInPublisherKey() {
    const std::string_view text = kBuiltInPublisherKeyPem;
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return std::nullopt;
    if (auto key = publisherKeyFromPem(text)) return key;
    // Its DER form is all zeros, which no backend reads as a key.
    return PublisherKey{};
}

std::optional<PackageDigest> packageDigest(const std::uint8_t (&header)[kPackageHeaderLength],
                                           const std::uint8_t* body, std::uint32_t signedLength) {
    platform::Sha256 sha;
    PackageDigest digest;
    std::uint8_t raw[32];
    if (!sha.update(header, sizeof header) || !sha.update(body, signedLength) || !sha.finish(raw))
        return std::nullopt;
    std::copy(std::begin(raw), std::end(raw), digest.begin());
    return digest;
}

SignatureCheck checkPackageSignature(const PublisherKey& key,
                                     const std::uint8_t (&header)[kPackageHeaderLength],
                                     const std::uint8_t* body, std::uint32_t bodyLength) {
    const std::uint32_t trailerSize = loadBigEndian32(header + 12);
    if (trailerSize < kSignatureBlockLength || trailerSize > bodyLength) return SignatureCheck::kUnsigned;
    const std::uint32_t signedLength = bodyLength - kSignatureBlockLength;
    const std::uint8_t* block = body + signedLength;
    if (std::memcmp(block, kSignatureMagic, sizeof kSignatureMagic) != 0) return SignatureCheck::kUnsigned;
    if (!std::equal(key.id.begin(), key.id.end(), block + 4)) return SignatureCheck::kOtherKey;
    const auto digest = packageDigest(header, body, signedLength);
    P256Signature signature;
    std::copy(block + 12, block + kSignatureBlockLength, signature.begin());
    return digest && platform::verifyEcdsaP256(key.der, *digest, signature) ? SignatureCheck::kValid
                                                                            : SignatureCheck::kInvalid;
}

}  // namespace tarnwick
