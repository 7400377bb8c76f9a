#include "extract/Mswin/ErrorMessage.h"

namespace Mswin {

std::int32_t ResultFromError(ErrorCode code) noexcept {
    const auto value = static_cast<std::int32_t>(code);
    if (value <= 0) return value;
    return static_cast<std::int32_t>(0x80070000u | (code & 0xFFFFu));
}

}  // namespace Mswin
