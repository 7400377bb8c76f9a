#include "installer/ui/Fonts.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "installer/ui/logic/FontSize.h"

namespace tarnwick::ui {

int pointsToHeight(int points) {
    const HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return pointsToHeightAt(points, pixelsPerInch);
}

CFont* makeFont(const char* face, int points, bool bold) {
    LOGFONTA description{};
    description.lfHeight = pointsToHeight(points);
    description.lfWeight = bold ? FW_BOLD : 0;
    std::strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
    auto font = std::make_unique<CFont>();
    if (!font->create(description)) return nullptr;
    return font.release();
}

CFont* boldDialogFont() {
    // A function-local static is initialised once even when two threads
    // open their first dialog at the same time.
    static CFont* const font = makeFont("MS Shell Dlg 2", 8, true);
    return font;
}

}  // namespace tarnwick::ui
