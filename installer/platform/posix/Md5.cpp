#include "installer/platform/Md5.h"

#include <openssl/evp.h>

namespace tarnwick::platform {

struct Md5::State {
    struct ContextFree {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, ContextFree> context{EVP_MD_CTX_new()};
    bool good = context && EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) == 1;
};

Md5::Md5() : state_(std::make_unique<State>()) {}
Md5::~Md5() = default;

bool Md5::update(const void* bytes, std::size_t count) {
    state_->good = state_->good && EVP_DigestUpdate(state_->context.get(), bytes, count) == 1;
    return state_->good;
}

bool Md5::finish(std::uint8_t (&digest)[16]) {
    unsigned int length = 0;
    state_->good =
        state_->good && EVP_DigestFinal_ex(state_->context.get(), digest, &length) == 1 && length == 16;
    return state_->good;
}

}  // namespace tarnwick::platform
