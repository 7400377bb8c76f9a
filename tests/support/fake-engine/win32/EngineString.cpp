#include "tests/support/fake-engine/EngineString.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <cstring>

void SetEngineString(void* value, const wchar_t* text) {
    const BSTR string = ::SysAllocString(text);
    const std::uint16_t type = VT_BSTR;
    std::memcpy(value, &type, sizeof type);
    std::memcpy(static_cast<unsigned char*>(value) + 8, &string, sizeof string);
}
