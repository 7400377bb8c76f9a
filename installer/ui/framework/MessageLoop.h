#pragma once

#include <windows.h>

namespace tarnwick::ui {

// Offers a message to the window objects from its window up to the
// top-level one; true when one of them consumed it.
bool preTranslateMessage(MSG& message);

}  // namespace tarnwick::ui
