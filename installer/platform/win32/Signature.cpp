#include "installer/platform/Signature.h"

#include <cstring>

#include "installer/platform/win32/CngHash.h"

namespace tarnwick::platform {

namespace {

struct KeyDestroy {
    void operator()(BCRYPT_KEY_HANDLE key) const { BCryptDestroyKey(key); }
};
// The DER form that the caller holds, up to the point's leading 0x04: the
// key's algorithm (EC public key) and curve (P-256). CNG takes X and Y alone.
constexpr std::uint8_t kP256KeyPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                           0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                           0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
static_assert(sizeof kP256KeyPrefix + 64 == kP256PublicKeyLength);

}  // namespace

struct Sha256::State {
    CngHash hash{BCRYPT_SHA256_ALGORITHM};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

bool Sha256::update(const void* bytes, std::size_t count) {
    return state_->hash.update(bytes, count);
}

bool Sha256::finish(std::uint8_t (&digest)[32]) {
    return state_->hash.finish(digest, sizeof digest);
}

bool verifyEcdsaP256(const std::array<std::uint8_t, kP256PublicKeyLength>& publicKey,
                     const std::array<std::uint8_t, 32>& digest,
                     const std::array<std::uint8_t, 64>& signature) {
    if (std::memcmp(publicKey.data(), kP256KeyPrefix, sizeof kP256KeyPrefix) != 0) return false;
    const CngAlgorithm algorithm = openCngAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!algorithm) return false;

    //   BCRYPT_ECCKEY_BLOB { magic, key length 32 } | X (32) | Y (32)
    struct {
        BCRYPT_ECCKEY_BLOB header;
        std::uint8_t point[64];
    } blob = {{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32}, {}};
    std::memcpy(blob.point, publicKey.data() + sizeof kP256KeyPrefix, sizeof blob.point);
    BCRYPT_KEY_HANDLE rawKey = nullptr;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &rawKey,
                                            reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0)))
        return false;
    const std::unique_ptr<void, KeyDestroy> key(rawKey);
    // CNG takes the signature as r then s already.
    return BCRYPT_SUCCESS(BCryptVerifySignature(key.get(), nullptr, const_cast<PUCHAR>(digest.data()), 32,
                                                const_cast<PUCHAR>(signature.data()), 64, 0));
}

}  // namespace tarnwick::platform
