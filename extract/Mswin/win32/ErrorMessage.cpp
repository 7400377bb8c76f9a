#include "extract/Mswin/ErrorMessage.h"

#include <windows.h>

#include <boost/format.hpp>

#include "extract/Mswin/Text.h"

namespace Mswin {

ErrorCode LastError() noexcept {
    return ::GetLastError();
}

void RestoreLastError(ErrorCode code) noexcept {
    ::SetLastError(code);
}

std::string GetErrorMessage(ErrorCode code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                          nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string message;
    if (length != 0 && buffer) {
        std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
        ::LocalFree(buffer);
        if (!text.empty() && text.back() == u'\n') text.pop_back();
        if (!text.empty() && text.back() == u'\r') text.pop_back();
        message = Utf16ToUtf8(text);
    } else {
        message = (boost::format("Error: 0x%x") % code).str();
    }
    return message + " (" + std::to_string(code) + ")";
}

}  // namespace Mswin
