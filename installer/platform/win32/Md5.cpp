#include "installer/platform/Md5.h"

#include "installer/platform/win32/CngHash.h"

namespace tarnwick::platform {

struct Md5::State {
    CngHash hash{BCRYPT_MD5_ALGORITHM};
};

Md5::Md5() : state_(std::make_unique<State>()) {}
Md5::~Md5() = default;

bool Md5::update(const void* bytes, std::size_t count) {
    return state_->hash.update(bytes, count);
}

bool Md5::finish(std::uint8_t (&digest)[16]) {
    return state_->hash.finish(digest, sizeof digest);
}

}  // namespace tarnwick::platform
