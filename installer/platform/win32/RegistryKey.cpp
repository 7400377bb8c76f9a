#include "installer/platform/win32/RegistryKey.h"

#include "installer/platform/win32/WideText.h"

namespace tarnwick::platform {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

void RegistryKey::close() {
    if (key_ == nullptr) return;
    // Closing must not disturb the last error of the call being reported.
    const DWORD lastError = GetLastError();
    RegCloseKey(key_);
    SetLastError(lastError);
    key_ = nullptr;
}

RegistryKey RegistryKey::create(HKEY root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, toUtf16(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::open(HKEY root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, toUtf16(path).c_str(), 0, access, &key) != ERROR_SUCCESS) return RegistryKey();
    return RegistryKey(key);
}

bool RegistryKey::setString(const char* name, const std::string& text) const {
    const std::wstring units = toUtf16(text);
    return RegSetValueExW(key_, toUtf16(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(units.c_str()),
                          static_cast<DWORD>((units.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistryKey::setDword(const char* name, std::uint32_t value) const {
    const DWORD data = value;
    return RegSetValueExW(key_, toUtf16(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool RegistryKey::setBinary(const char* name, const void* bytes, std::uint32_t size) const {
    return RegSetValueExW(key_, toUtf16(name).c_str(), 0, REG_BINARY, static_cast<const BYTE*>(bytes),
                          size) == ERROR_SUCCESS;
}

LONG RegistryKey::read(const char* name, DWORD& type, void* data, DWORD& size) const {
    return RegQueryValueExW(key_, toUtf16(name).c_str(), nullptr, &type, static_cast<BYTE*>(data), &size);
}

}  // namespace tarnwick::platform
