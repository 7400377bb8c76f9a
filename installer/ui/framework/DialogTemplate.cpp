#include "installer/ui/framework/DialogTemplate.h"

#include <cwchar>
#include <string_view>

#include "installer/ui/logic/DialogTemplateFont.h"

namespace tarnwick::ui {

bool CDialogTemplate::Load(HMODULE module, const char* resourceName) {
    bytes_.clear();
    HRSRC found = FindResourceA(module, resourceName, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(module, found);
    if (bytes == nullptr || size == 0) return false;
    bytes_.assign(bytes, bytes + size);
    return true;
}

bool CDialogTemplate::SetFont(const wchar_t* face, std::uint16_t points) {
    const std::u16string_view name(reinterpret_cast<const char16_t*>(face), std::wcslen(face));
    auto replaced = replaceDialogFont(bytes_.data(), bytes_.size(), name, points);
    if (replaced.empty()) return false;
    bytes_ = std::move(replaced);
    return true;
}

}  // namespace tarnwick::ui
