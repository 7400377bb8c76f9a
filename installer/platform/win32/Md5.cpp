#include "installer/platform/Md5.h"

#include <windows.h>

#include <bcrypt.h>

namespace tarnwick::platform {

namespace {

struct AlgorithmClose {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashDestroy {
    void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};

}  // namespace

struct Md5::State {
    std::unique_ptr<void, AlgorithmClose> algorithm;
    std::unique_ptr<void, HashDestroy> hash;
    bool good = false;

    State() {
        BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0)))
            return;
        algorithm.reset(rawAlgorithm);
        BCRYPT_HASH_HANDLE rawHash = nullptr;
        if (!BCRYPT_SUCCESS(BCryptCreateHash(rawAlgorithm, &rawHash, nullptr, 0, nullptr, 0, 0))) return;
        hash.reset(rawHash);
        good = true;
    }
};

Md5::Md5() : state_(std::make_unique<State>()) {}
Md5::~Md5() = default;

bool Md5::update(const void* bytes, std::size_t count) {
    // CNG takes at most 4 GB per call; callers feed far smaller pieces, but
    // split anyway so that no length is ever truncated.
    auto* p = static_cast<UCHAR*>(const_cast<void*>(bytes));
    while (state_->good && count > 0) {
        const ULONG chunk = count > 0x40000000u ? 0x40000000u : static_cast<ULONG>(count);
        state_->good = BCRYPT_SUCCESS(BCryptHashData(state_->hash.get(), p, chunk, 0));
        p += chunk;
        count -= chunk;
    }
    return state_->good;
}

bool Md5::finish(std::uint8_t (&digest)[16]) {
    state_->good = state_->good && BCRYPT_SUCCESS(BCryptFinishHash(state_->hash.get(), digest, 16, 0));
    return state_->good;
}

}  // namespace tarnwick::platform
