#pragma once

namespace tarnwick::ui {

// The logical font height for a size in points on a screen of the given
// vertical resolution: negative, so that the font mapper matches the
// character height rather than the cell height. Rounds as MulDiv does
// (half away from zero): 8 points at 96 dpi give -11, at 120 dpi -13.
int pointsToHeightAt(int points, int pixelsPerInch);

}  // namespace tarnwick::ui
