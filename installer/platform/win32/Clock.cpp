#include "installer/platform/Clock.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

namespace tarnwick::platform {

std::uint32_t millisecondCounter() {
    return timeGetTime();
}

}  // namespace tarnwick::platform
