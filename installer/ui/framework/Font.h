#pragma once

#include <windows.h>

namespace tarnwick::ui {

// Owns one GDI font.
class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    ~CFont() { reset(); }

    // False, leaving no font, when GDI cannot make it.
    [[nodiscard]] bool create(const LOGFONTA& description) {
        reset();
        font_ = CreateFontIndirectA(&description);
        return font_ != nullptr;
    }
    HFONT handle() const { return font_; }

private:
    void reset() {
        if (font_ != nullptr) DeleteObject(font_);
        font_ = nullptr;
    }
    HFONT font_ = nullptr;
};

}  // namespace tarnwick::ui
