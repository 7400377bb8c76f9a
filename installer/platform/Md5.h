#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarnwick::platform {

// An MD5 computation: OpenSSL's libcrypto natively, the system's CNG provider
// on Windows. Each call reports false when the backend failed; after a
// failure the object is unusable and the digest undefined.
class Md5 {
public:
    Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;
    ~Md5();

    [[nodiscard]] bool update(const void* bytes, std::size_t count);
    [[nodiscard]] bool finish(std::uint8_t (&digest)[16]);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tarnwick::platform
