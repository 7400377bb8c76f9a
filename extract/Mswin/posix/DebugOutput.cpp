#include "extract/Mswin/DebugOutput.h"

#include <cstdio>

#include "extract/Mswin/Text.h"

namespace Mswin {

void OutputDebuggerText(const std::u16string& line) {
    std::fputs(Utf16ToUtf8(line).c_str(), stderr);
}

}  // namespace Mswin
