#include "extract/SevenZip/EngineLayout.h"

#include <cstdint>
#include <cstdio>

#include "extract/Mswin/EngineAbi.h"
#include "extract/Mswin/PropertyVariant.h"
#include "extract/SevenZip/EngineInterfaces.h"

namespace SevenZip {
namespace {

// The engine's module properties: the layout of IUnknown (0 without a
// virtual destructor, 1 with one) and the version, major << 16 | minor.
constexpr std::uint32_t kInterfaceTypeProperty = 0;
constexpr std::uint32_t kVersionProperty = 1;
constexpr std::uint32_t kWithoutVirtualDestructor = 0;
constexpr std::uint32_t kFirstVersionWithoutOne = 23;

using GetModulePropFunction = Result(PAKLOOM_ENGINE_CALL*)(std::uint32_t, void*);

// The property as a u32, or false when the module does not give one.
bool ModuleProperty(GetModulePropFunction getModuleProp, std::uint32_t property, std::uint32_t& value) {
    Mswin::PropertyVariant variant;
    if (getModuleProp(property, variant.Address()) != kOk) return false;
    if (variant.Type() != Mswin::PropertyVariant::kUnsigned32) return false;
    value = variant.Unsigned32Value();
    return true;
}

std::string VersionText(std::uint32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(version >> 16),
                  static_cast<unsigned>(version & 0xFFFF));
    return text;
}

}  // namespace

std::string UnsupportedEngineLayout(const Mswin::ScopedLoadLibrary& module) {
    if (Mswin::EnginesFollowCom()) return {};
    const auto getModuleProp =
        reinterpret_cast<GetModulePropFunction>(module.FindEntryPoint("GetModuleProp"));
    if (!getModuleProp) return "no GetModuleProp, as in engines whose interfaces have a virtual destructor";
    std::uint32_t type = 0;
    if (ModuleProperty(getModuleProp, kInterfaceTypeProperty, type)) {
        if (type == kWithoutVirtualDestructor) return {};
        return "interface type " + std::to_string(type) + ", a virtual destructor in IUnknown";
    }
    std::uint32_t version = 0;
    if (!ModuleProperty(getModuleProp, kVersionProperty, version))
        return "neither interface type nor version from GetModuleProp";
    if (version >> 16 >= kFirstVersionWithoutOne) return {};
    return "version " + VersionText(version) + " without an interface type";
}

}  // namespace SevenZip
