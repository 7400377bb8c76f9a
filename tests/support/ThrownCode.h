#pragma once

#include <cstdint>
#include <optional>

namespace tarnwick::test {

// The plain integer that action throws, or nothing when it returns normally.
// Anything else thrown escapes and fails the test.
template <typename Action>
std::optional<std::int32_t> thrownCode(Action&& action) {
    try {
        action();
    } catch (std::int32_t code) {
        return code;
    }
    return std::nullopt;
}

}  // namespace tarnwick::test
