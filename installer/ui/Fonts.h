#pragma once

#include <windows.h>

#include "installer/ui/framework/Gdi.h"

namespace tarnwick::ui {

// A new font: face and size for a window shown at dpi, bold or normal, every
// other attribute left to the font mapper. Empty when GDI cannot make it.
CFont makeFont(const char* face, int points, bool bold, UINT dpi);

// "MS Shell Dlg 2", 8 points, bold, for windows shown at dpi: the dialogs'
// headlines and the progress window's status line. One font per
// resolution, made on first use and kept until the process ends, so that a
// window moved to another monitor only swaps fonts; safe to call from any
// thread. Null when GDI cannot make it.
CFont* boldDialogFont(UINT dpi);

}  // namespace tarnwick::ui
