#include <unistd.h>

#include "extract/Mswin/ErrorMessage.h"
#include "extract/Mswin/ScopedHandle.h"

namespace Mswin {

bool IsOpenHandle(NativeHandle handle) noexcept {
    return handle >= 0;
}

void CloseNativeHandle(NativeHandle handle) noexcept {
    const ErrorCode saved = LastError();
    ::close(static_cast<int>(handle));
    RestoreLastError(saved);
}

}  // namespace Mswin
