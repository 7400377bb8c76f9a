#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarnwick::platform {

struct CngAlgorithmClose {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
using CngAlgorithm = std::unique_ptr<void, CngAlgorithmClose>;

// The named CNG algorithm's provider; null when the system has none.
CngAlgorithm openCngAlgorithm(LPCWSTR name);

// One running digest with a CNG hash algorithm (BCRYPT_MD5_ALGORITHM,
// BCRYPT_SHA256_ALGORITHM, ...). Once a step fails, every later one does.
class CngHash {
public:
    explicit CngHash(LPCWSTR algorithm);

    [[nodiscard]] bool update(const void* bytes, std::size_t count);
    [[nodiscard]] bool finish(std::uint8_t* digest, ULONG length);

private:
    struct HashDestroy {
        void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
    };

    CngAlgorithm algorithm_;
    std::unique_ptr<void, HashDestroy> hash_;
    bool good_ = false;
};

}  // namespace tarnwick::platform
