#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tarnwick::ui {

// A dialog resource copied into memory, so that its font can be replaced
// before the dialog is created from it.
class CDialogTemplate {
public:
    // False, leaving the template empty, when the module has no such dialog.
    [[nodiscard]] bool Load(HMODULE module, const char* resourceName);
    // False, leaving the template as it was, when the template is malformed.
    [[nodiscard]] bool SetFont(const wchar_t* face, std::uint16_t points);

    const DLGTEMPLATE* data() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }
    bool empty() const { return bytes_.empty(); }

private:
    // The heap block is aligned beyond the four bytes the dialog manager
    // requires of a template.
    std::vector<std::uint8_t> bytes_;
};

}  // namespace tarnwick::ui
