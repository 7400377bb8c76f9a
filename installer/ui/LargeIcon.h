#pragma once

#include <cstdint>

#include "installer/ui/IconList.h"
#include "installer/ui/framework/Static.h"

namespace tarnwick::ui {

// A static control that shows one image of an icon list at its full size,
// sized to the image and a two-pixel margin when it takes over its window.
// The product image of the install-options and already-installed dialogs is
// image 0 of this list, shown at 128 pixels.
constexpr UINT kProductImages = 148;
constexpr std::uint32_t kProductImageSize = 128;

class CLargeIcon : public CStatic {
public:
    CLargeIcon(UINT resourceId, std::uint32_t index, std::uint32_t size);

    const IconList& icons() const { return icons_; }

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::uint32_t size_;
    std::uint32_t index_;
    IconList icons_;
};

}  // namespace tarnwick::ui
