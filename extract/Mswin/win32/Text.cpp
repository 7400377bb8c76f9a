#include "extract/Mswin/Text.h"

#include <windows.h>

#include <vector>

#include "extract/Ostrel/Log.h"

namespace Mswin {

std::u16string Utf8ToUtf16(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (needed == 0) Ostrel::Log::ThrowWithLastError(2, "Could not convert UTF-8 string to UTF-16 string.");
    std::u16string result(static_cast<std::size_t>(needed), u'\0');
    const int written = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length,
                                              reinterpret_cast<wchar_t*>(result.data()), needed);
    if (written == 0) Ostrel::Log::ThrowWithLastError(2, "Could not convert UTF-8 string to UTF-16 string.");
    result.resize(static_cast<std::size_t>(written));
    return result;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    if (text.empty()) return {};
    const auto* units = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    int written = 0;
    std::string result;
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, units, length, nullptr, 0, nullptr, nullptr);
    if (needed != 0) {
        result.assign(static_cast<std::size_t>(needed), '\0');
        written = ::WideCharToMultiByte(CP_UTF8, 0, units, length, result.data(), needed, nullptr, nullptr);
    }
    if (written == 0) Ostrel::Log::ThrowWithLastError(2, "Could not convert UTF-16 string to UTF-8 string");
    result.resize(static_cast<std::size_t>(written));
    return result;
}

}  // namespace Mswin
