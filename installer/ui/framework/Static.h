#pragma once

#include <windows.h>

#include "installer/ui/framework/Window.h"

namespace tarnwick::ui {

// A system static control bound to an object, so that custom-drawn
// controls can take over its painting.
class CStatic : public CWnd {
public:
    [[nodiscard]] bool Create(const char* text, DWORD style, const RECT& rect, const CWnd& parent, UINT id);
};

}  // namespace tarnwick::ui
