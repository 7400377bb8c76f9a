#pragma once

#include <cstdint>

#include "installer/ui/IconList.h"
#include "installer/ui/framework/Static.h"

namespace tarnwick::ui {

// A static control that shows one image of an icon list, sized to the image
// and a margin when it takes over its window. The size is that of a 96-dpi
// display; the image and margin grow with the dialog's resolution, and
// follow it when the dialog moves to a monitor of another one. The product
// image of the install-options and already-installed dialogs is image 0 of
// this list, 128 pixels at 96 dpi.
constexpr UINT kProductImages = 148;
constexpr std::uint32_t kProductImageSize = 128;

class CLargeIcon : public CStatic {
public:
    CLargeIcon(UINT resourceId, std::uint32_t index, std::uint32_t size);

    const IconList& icons() const { return icons_; }

protected:
    void PreSubclassWindow() override { fitToResolution(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int displaySize(UINT dpi) const;
    void fitToResolution();

    std::uint32_t size_;
    std::uint32_t index_;
    IconList icons_;
};

}  // namespace tarnwick::ui
