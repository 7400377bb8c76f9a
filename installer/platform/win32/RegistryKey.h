#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tarnwick::platform {

// Owns one open registry key; an empty holder owns nothing. Windows only:
// the registry has no counterpart elsewhere, and only Windows-only code
// uses it. Key paths, value names and texts are UTF-8; the registry gets
// them as UTF-16, as it stores them.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { close(); }

    // Creates the key (non-volatile) or opens it when it exists. The holder
    // stays empty on failure.
    [[nodiscard]] static RegistryKey create(HKEY root, const char* path, REGSAM access);
    // Opens an existing key; empty on failure.
    [[nodiscard]] static RegistryKey open(HKEY root, const char* path, REGSAM access);

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // Each writer reports whether the value was stored; nothing else changes
    // on failure. Strings are stored in UTF-16 with their terminator counted
    // in the length, as Windows' own values are.
    [[nodiscard]] bool setString(const char* name, const std::string& text) const;
    [[nodiscard]] bool setDword(const char* name, std::uint32_t value) const;
    [[nodiscard]] bool setBinary(const char* name, const void* bytes, std::uint32_t size) const;

    // Reads a value into data (capacity in size, in bytes); gives the Windows
    // status, with type and size filled in as RegQueryValueExW leaves them: a
    // string arrives in UTF-16.
    [[nodiscard]] LONG read(const char* name, DWORD& type, void* data, DWORD& size) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    void close();

    HKEY key_ = nullptr;
};

}  // namespace tarnwick::platform
