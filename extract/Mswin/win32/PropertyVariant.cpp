#include "extract/Mswin/PropertyVariant.h"

#include <windows.h>

#include <oleauto.h>
#include <propidl.h>

#include <cstddef>
#include <cstring>

namespace Mswin {

// 24 bytes on 64-bit Windows, 16 on 32-bit; the value always at offset 8.
static_assert(sizeof(PROPVARIANT) <= 24, "the storage must hold the system's property variant");
static_assert(offsetof(PROPVARIANT, bstrVal) == 8, "the value must lie where the storage reads it");

std::u16string PropertyVariant::StringValue() const {
    BSTR text;
    std::memcpy(&text, storage_ + 8, sizeof text);
    if (!text) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
}

void PropertyVariant::Clear() {
    ::PropVariantClear(reinterpret_cast<PROPVARIANT*>(storage_));
}

}  // namespace Mswin
