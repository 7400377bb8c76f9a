#include "installer/platform/Signature.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstring>

namespace tarnwick::platform {

namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct KeyContextFree {
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct SignatureFree {
    void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
};

}  // namespace

struct Sha256::State {
    std::unique_ptr<EVP_MD_CTX, ContextFree> context{EVP_MD_CTX_new()};
    bool good = context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

bool Sha256::update(const void* bytes, std::size_t count) {
    state_->good = state_->good && EVP_DigestUpdate(state_->context.get(), bytes, count) == 1;
    return state_->good;
}

bool Sha256::finish(std::uint8_t (&digest)[32]) {
    unsigned int length = 0;
    state_->good =
        state_->good && EVP_DigestFinal_ex(state_->context.get(), digest, &length) == 1 && length == 32;
    return state_->good;
}

bool verifyEcdsaP256(const std::array<std::uint8_t, kP256PublicKeyLength>& publicKey,
                     const std::array<std::uint8_t, 32>& digest,
                     const std::array<std::uint8_t, 64>& signature) {
    const unsigned char* read = publicKey.data();
    std::unique_ptr<EVP_PKEY, KeyFree> key(d2i_PUBKEY(nullptr, &read, kP256PublicKeyLength));
    // Another curve's key of the same length must not pass as a P-256 one.
    char curve[32] = {};
    if (!key || read != publicKey.data() + publicKey.size() ||
        EVP_PKEY_get_utf8_string_param(key.get(), "group", curve, sizeof curve, nullptr) != 1 ||
        std::strcmp(curve, "prime256v1") != 0)
        return false;

    // OpenSSL takes the signature in DER form; the package carries r and s
    // as two fixed-size numbers.
    std::unique_ptr<ECDSA_SIG, SignatureFree> parts(ECDSA_SIG_new());
    BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
    if (!parts || !r || !s || ECDSA_SIG_set0(parts.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return false;
    }
    unsigned char der[80];
    unsigned char* write = der;
    if (i2d_ECDSA_SIG(parts.get(), nullptr) > static_cast<int>(sizeof der)) return false;
    const int derLength = i2d_ECDSA_SIG(parts.get(), &write);
    if (derLength <= 0) return false;

    std::unique_ptr<EVP_PKEY_CTX, KeyContextFree> context(EVP_PKEY_CTX_new(key.get(), nullptr));
    return context && EVP_PKEY_verify_init(context.get()) == 1 &&
           EVP_PKEY_verify(context.get(), der, static_cast<std::size_t>(derLength), digest.data(),
                           digest.size()) == 1;
}

}  // namespace tarnwick::platform
