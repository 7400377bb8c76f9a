#include "installer/ui/Fonts.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "installer/ui/logic/FontSize.h"

namespace tarnwick::ui {

int pointsToHeight(int points) {
    return pointsToHeightAt(points, GetDeviceCaps(CClientDC(nullptr).handle(), LOGPIXELSY));
}

CFont makeFont(const char* face, int points, bool bold) {
    LOGFONTA description{};
    description.lfHeight = pointsToHeight(points);
    description.lfWeight = bold ? FW_BOLD : 0;
    std::strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
    CFont font;
    // An empty font tells the caller.
    [[maybe_unused]] const bool made = font.create(description);
    return font;
}

CFont* boldDialogFont() {
    // A function-local static is initialised once even when two threads
    // open their first dialog at the same time. It is never deleted:
    // windows may use it until the process ends.
    static CFont* const font = [] {
        CFont made = makeFont("MS Shell Dlg 2", 8, true);
        return made ? new CFont(std::move(made)) : nullptr;
    }();
    return font;
}

}  // namespace tarnwick::ui
