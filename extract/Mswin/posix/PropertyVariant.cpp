#include "extract/Mswin/PropertyVariant.h"

#include <cstdlib>
#include <cstring>

namespace Mswin {

// The engine's strings here are wchar_t (32 bits) pointing 4 bytes into one
// malloc'd block:
//
//   [u32 byte length][units ...][0]
//                    ^ the pointer the variant holds
//
// Each unit is a UTF-16 code unit widened to 32 bits, so a character outside
// the Basic Multilingual Plane arrives as two surrogates.
namespace {

wchar_t* StringPointer(const unsigned char* storage) {
    wchar_t* pointer;
    std::memcpy(&pointer, storage + 8, sizeof pointer);
    return pointer;
}

}  // namespace

std::u16string PropertyVariant::StringValue() const {
    const wchar_t* units = StringPointer(storage_);
    if (!units) return {};
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(units) - sizeof bytes, sizeof bytes);
    std::u16string text;
    text.reserve(bytes / sizeof(wchar_t));
    for (std::uint32_t i = 0; i < bytes / sizeof(wchar_t); ++i)
        text += static_cast<char16_t>(units[i]);
    return text;
}

void PropertyVariant::Clear() {
    if (Type() == kString) {
        if (wchar_t* units = StringPointer(storage_)) std::free(reinterpret_cast<unsigned char*>(units) - 4);
    }
    std::memset(storage_, 0, sizeof storage_);
}

}  // namespace Mswin
