#pragma once

#include "installer/ui/framework/Gdi.h"

namespace tarnwick::ui {

// The font height for a size in points on this screen (negative: a
// character height).
int pointsToHeight(int points);

// A new font: face and size, bold or normal, every other attribute left to
// the font mapper. Empty when GDI cannot make it.
CFont makeFont(const char* face, int points, bool bold);

// "MS Shell Dlg 2", 8 points, bold: the dialogs' headlines and the progress
// window's status line. Made on first use, kept until the process ends;
// safe to call from any thread.
CFont* boldDialogFont();

}  // namespace tarnwick::ui
