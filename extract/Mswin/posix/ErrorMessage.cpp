#include "extract/Mswin/ErrorMessage.h"

#include <cerrno>
#include <cstring>

#include <boost/format.hpp>

namespace Mswin {

ErrorCode LastError() noexcept {
    return static_cast<ErrorCode>(errno);
}

void RestoreLastError(ErrorCode code) noexcept {
    errno = static_cast<int>(code);
}

std::string GetErrorMessage(ErrorCode code) {
    // strerrordesc_np answers null for numbers the C library does not know,
    // where strerror would invent an "Unknown error" sentence.
    const char* text = code <= 0x7FFFFFFFu ? strerrordesc_np(static_cast<int>(code)) : nullptr;
    std::string message = text ? std::string(text) : (boost::format("Error: 0x%x") % code).str();
    return message + " (" + std::to_string(code) + ")";
}

}  // namespace Mswin
