#include "tools/tarnwick-pack/PemSigner.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace tarnwick::pack {

namespace {

struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
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
using Key = std::shared_ptr<EVP_PKEY>;

// The public half in PEM, read back as the installer reads a publisher key:
// that also refuses keys of another kind or curve.
PublisherKey publicHalf(EVP_PKEY* key) {
    std::unique_ptr<BIO, BioFree> out(BIO_new(BIO_s_mem()));
    if (!out || PEM_write_bio_PUBKEY(out.get(), key) != 1)
        throw std::runtime_error("cannot write the public key");
    char* text = nullptr;
    const long length = BIO_get_mem_data(out.get(), &text);
    const auto publisher = publisherKeyFromPem(std::string_view(text, static_cast<std::size_t>(length)));
    if (!publisher) throw std::runtime_error("the private key is not an ECDSA P-256 key");
    return *publisher;
}

P256Signature sign(EVP_PKEY* key, const PackageDigest& digest) {
    std::unique_ptr<EVP_PKEY_CTX, KeyContextFree> context(EVP_PKEY_CTX_new(key, nullptr));
    unsigned char der[80];
    std::size_t derLength = sizeof der;
    if (!context || EVP_PKEY_sign_init(context.get()) != 1 ||
        EVP_PKEY_sign(context.get(), der, &derLength, digest.data(), digest.size()) != 1)
        throw std::runtime_error("signing failed");
    // OpenSSL gives the signature in DER form; the block carries r and s as
    // two numbers of 32 bytes each.
    const unsigned char* read = der;
    std::unique_ptr<ECDSA_SIG, SignatureFree> parts(
        d2i_ECDSA_SIG(nullptr, &read, static_cast<long>(derLength)));
    P256Signature signature;
    if (!parts || BN_bn2binpad(ECDSA_SIG_get0_r(parts.get()), signature.data(), 32) != 32 ||
        BN_bn2binpad(ECDSA_SIG_get0_s(parts.get()), signature.data() + 32, 32) != 32)
        throw std::runtime_error("signing gave no P-256 signature");
    return signature;
}

}  // namespace

Signer pemSigner(std::string_view privateKeyPem) {
    std::unique_ptr<BIO, BioFree> in(
        BIO_new_mem_buf(privateKeyPem.data(), static_cast<int>(privateKeyPem.size())));
    Key key(in ? PEM_read_bio_PrivateKey(in.get(), nullptr, nullptr, nullptr) : nullptr, KeyFree());
    if (!key) throw std::runtime_error("no private key in PEM form");
    return {publicHalf(key.get()).id, [key](const PackageDigest& digest) { return sign(key.get(), digest); }};
}

}  // namespace tarnwick::pack
