#include <windows.h>

#include "extract/Mswin/ScopedHandle.h"

namespace Mswin {

// Null and INVALID_HANDLE_VALUE (all bits set) both mean "nothing open".
bool IsOpenHandle(NativeHandle handle) noexcept {
    return handle != 0 && handle != -1;
}

void CloseNativeHandle(NativeHandle handle) noexcept {
    const DWORD saved = ::GetLastError();
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    ::SetLastError(saved);
}

}  // namespace Mswin
