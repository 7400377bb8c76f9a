#include "extract/Mswin/PropertyVariant.h"

#include <cstring>

namespace Mswin {

PropertyVariant::PropertyVariant() {
    std::memset(storage_, 0, sizeof storage_);
}

std::uint16_t PropertyVariant::Type() const {
    std::uint16_t type;
    std::memcpy(&type, storage_, sizeof type);
    return type;
}

bool PropertyVariant::BooleanValue() const {
    std::int16_t value;
    std::memcpy(&value, storage_ + 8, sizeof value);
    return value != 0;
}

std::uint32_t PropertyVariant::Unsigned32Value() const {
    std::uint32_t value;
    std::memcpy(&value, storage_ + 8, sizeof value);
    return value;
}

}  // namespace Mswin
