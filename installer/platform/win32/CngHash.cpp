#include "installer/platform/win32/CngHash.h"

namespace tarnwick::platform {

CngAlgorithm openCngAlgorithm(LPCWSTR name) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, name, nullptr, 0))) return nullptr;
    return CngAlgorithm(algorithm);
}

CngHash::CngHash(LPCWSTR algorithm) : algorithm_(openCngAlgorithm(algorithm)) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!algorithm_ || !BCRYPT_SUCCESS(BCryptCreateHash(algorithm_.get(), &hash, nullptr, 0, nullptr, 0, 0)))
        return;
    hash_.reset(hash);
    good_ = true;
}

bool CngHash::update(const void* bytes, std::size_t count) {
    // CNG takes at most 4 GB per call, so longer input goes in pieces and no
    // length is ever truncated.
    auto* p = static_cast<UCHAR*>(const_cast<void*>(bytes));
    while (good_ && count > 0) {
        const ULONG chunk = count > 0x40000000u ? 0x40000000u : static_cast<ULONG>(count);
        good_ = BCRYPT_SUCCESS(BCryptHashData(hash_.get(), p, chunk, 0));
        p += chunk;
        count -= chunk;
    }
    return good_;
}

bool CngHash::finish(std::uint8_t* digest, ULONG length) {
    good_ = good_ && BCRYPT_SUCCESS(BCryptFinishHash(hash_.get(), digest, length, 0));
    return good_;
}

}  // namespace tarnwick::platform
