#pragma once

#include <cstdint>
#include <string>

namespace Mswin {

// A property value as the engine fills it in. Its layout is the system's
//
//   offset 0   u16 vt        variant type
//   offset 2   3 x u16       reserved
//   offset 8   value         VARIANT_BOOL (i16, -1 true), u32, or a BSTR pointer
//
// 24 bytes on 64-bit Windows and 16 elsewhere; the storage covers both.
// It starts zeroed: the engine frees a string already held before writing.
class PropertyVariant {
public:
    static constexpr std::uint16_t kEmpty = 0;
    static constexpr std::uint16_t kString = 8;
    static constexpr std::uint16_t kBoolean = 11;
    static constexpr std::uint16_t kUnsigned32 = 19;

    PropertyVariant();
    PropertyVariant(const PropertyVariant&) = delete;
    PropertyVariant& operator=(const PropertyVariant&) = delete;
    ~PropertyVariant() { Clear(); }

    void* Address() { return storage_; }
    std::uint16_t Type() const;
    bool BooleanValue() const;
    std::uint32_t Unsigned32Value() const;
    // The string of a kString value, as UTF-16 code units.
    std::u16string StringValue() const;
    // Frees what the value holds and makes it empty.
    void Clear();

private:
    alignas(8) unsigned char storage_[24];
};

}  // namespace Mswin
