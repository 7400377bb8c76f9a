#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarnwick::platform {

// What checking a publisher's signature needs from the system: SHA-256 and
// ECDSA verification on the P-256 curve. OpenSSL's libcrypto natively, the
// system's CNG provider on Windows.

// A SHA-256 computation. Each call reports false when the backend failed;
// after a failure the object is unusable and the digest undefined.
class Sha256 {
public:
    Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    ~Sha256();

    [[nodiscard]] bool update(const void* bytes, std::size_t count);
    [[nodiscard]] bool finish(std::uint8_t (&digest)[32]);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A P-256 public key in DER SubjectPublicKeyInfo form with its point
// uncompressed; always this long, and the point's X and Y are its last 64
// bytes.
inline constexpr std::size_t kP256PublicKeyLength = 91;

// True only when signature (r then s, 32 bytes each, big-endian) is a valid
// ECDSA signature of digest by publicKey. Any failure of the backend, or a key
// the backend cannot read, gives false: a signature is never taken on trust.
[[nodiscard]] bool verifyEcdsaP256(const std::array<std::uint8_t, kP256PublicKeyLength>& publicKey,
                                   const std::array<std::uint8_t, 32>& digest,
                                   const std::array<std::uint8_t, 64>& signature);

}  // namespace tarnwick::platform
