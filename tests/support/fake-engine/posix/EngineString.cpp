#include "tests/support/fake-engine/EngineString.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

// One malloc'd block, [u32 byte length][wchar_t units][0], the value holding
// a pointer to the units.
void SetEngineString(void* value, const wchar_t* text) {
    const std::uint32_t bytes = static_cast<std::uint32_t>(std::wcslen(text) * sizeof(wchar_t));
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof bytes + bytes + sizeof(wchar_t)));
    std::memcpy(block, &bytes, sizeof bytes);
    std::memcpy(block + sizeof bytes, text, bytes + sizeof(wchar_t));
    const std::uint16_t type = 8;
    std::memcpy(value, &type, sizeof type);
    unsigned char* const units = block + sizeof bytes;
    std::memcpy(static_cast<unsigned char*>(value) + 8, &units, sizeof units);
}
