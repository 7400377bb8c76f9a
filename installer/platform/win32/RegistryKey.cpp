#include "installer/platform/win32/RegistryKey.h"

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
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::open(HKEY root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS) return RegistryKey();
    return RegistryKey(key);
}

bool RegistryKey::setString(const char* name, const std::string& text) const {
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::setDword(const char* name, std::uint32_t value) const {
    const DWORD data = value;
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
           ERROR_SUCCESS;
}

bool RegistryKey::setBinary(const char* name, const void* bytes, std::uint32_t size) const {
    return RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(bytes), size) == ERROR_SUCCESS;
}

LONG RegistryKey::read(const char* name, DWORD& type, void* data, DWORD& size) const {
    return RegQueryValueExA(key_, name, nullptr, &type, static_cast<BYTE*>(data), &size);
}

}  // namespace tarnwick::platform
