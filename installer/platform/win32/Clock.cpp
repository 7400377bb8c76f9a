#include "installer/platform/Clock.h"

#include <mmsystem.h>
#include <windows.h>

namespace tarnwick::platform {

std::uint32_t millisecondCounter() {
    return timeGetTime();
}

}  // namespace tarnwick::platform
