#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <memory>
#include <stdexcept>

#include "tests/support/TestSigning.h"

namespace tarnwick::test {

namespace {

struct AlgorithmClose {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct KeyDestroy {
    void operator()(BCRYPT_KEY_HANDLE key) const { BCryptDestroyKey(key); }
};

// What CNG imports: the blob header, then X, Y and the private scalar d.
struct PrivateBlob {
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
    std::uint8_t xyd[96] = {};
};

// An "EC PRIVATE KEY" of P-256 is always this DER layout (121 bytes):
//   30 77 02 01 01 04 20 | d (32) | a0 0a <curve> | a1 44 03 42 00 04 | X (32) | Y (32)
PrivateBlob privateBlobOf(const char* pem) {
    const auto der = decodePem(pem, "EC PRIVATE KEY");
    if (!der || der->size() != 121 || (*der)[6] != 0x20 || (*der)[56] != 0x04)
        throw std::logic_error("a test key that does not read");
    PrivateBlob blob;
    std::memcpy(blob.xyd, der->data() + 57, 64);
    std::memcpy(blob.xyd + 64, der->data() + 7, 32);
    return blob;
}

}  // namespace

pack::Signer signerOf(const TestKeyPair& pair) {
    const PrivateBlob blob = privateBlobOf(pair.privatePem);
    return {
        publisherKeyOf(pair).id, [blob](const PackageDigest& digest) {
            BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
            if (!BCRYPT_SUCCESS(
                    BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
                throw std::runtime_error("no ECDSA P-256 provider");
            const std::unique_ptr<void, AlgorithmClose> algorithm(rawAlgorithm);
            BCRYPT_KEY_HANDLE rawKey = nullptr;
            PrivateBlob copy = blob;
            if (!BCRYPT_SUCCESS(BCryptImportKeyPair(rawAlgorithm, nullptr, BCRYPT_ECCPRIVATE_BLOB, &rawKey,
                                                    reinterpret_cast<PUCHAR>(&copy), sizeof copy, 0)))
                throw std::runtime_error("the test key does not import");
            const std::unique_ptr<void, KeyDestroy> key(rawKey);
            P256Signature signature;
            ULONG length = 0;
            PackageDigest input = digest;
            if (!BCRYPT_SUCCESS(
                    BCryptSignHash(rawKey, nullptr, input.data(), 32, signature.data(), 64, &length, 0)) ||
                length != 64)
                throw std::runtime_error("signing failed");
            return signature;
        }};
}

}  // namespace tarnwick::test
