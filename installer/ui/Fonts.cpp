#include "installer/ui/Fonts.h"

#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "installer/ui/logic/FontSize.h"

namespace tarnwick::ui {

CFont makeFont(const char* face, int points, bool bold, UINT dpi) {
    LOGFONTA description{};
    description.lfHeight = pointsToHeightAt(points, static_cast<int>(dpi));
    description.lfWeight = bold ? FW_BOLD : 0;
    std::strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
    CFont font;
    // An empty font tells the caller.
    [[maybe_unused]] const bool made = font.create(description);
    return font;
}

CFont* boldDialogFont(UINT dpi) {
    // The worker thread may open its first dialog while the user-interface
    // thread makes the progress window's font. The fonts are never deleted:
    // windows may use them until the process ends, and a map node stays
    // where it is as others are added.
    static std::mutex mutex;
    static auto* const fonts = new std::map<UINT, CFont>;
    const std::lock_guard lock(mutex);
    auto found = fonts->find(dpi);
    if (found == fonts->end()) {
        CFont made = makeFont("MS Shell Dlg 2", 8, true, dpi);
        if (!made) return nullptr;
        found = fonts->emplace(dpi, std::move(made)).first;
    }
    return &found->second;
}

}  // namespace tarnwick::ui
