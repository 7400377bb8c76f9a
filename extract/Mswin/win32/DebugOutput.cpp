#include "extract/Mswin/DebugOutput.h"

#include <windows.h>

namespace Mswin {

void OutputDebuggerText(const std::u16string& line) {
    ::OutputDebugStringW(reinterpret_cast<const wchar_t*>(line.c_str()));
}

}  // namespace Mswin
