#include <windows.h>

#include "tests/extract/PakloomTesting.h"

namespace pakloom::test {

bool IsModuleLoaded(const std::u16string& path) {
    return ::GetModuleHandleW(reinterpret_cast<const wchar_t*>(path.c_str())) != nullptr;
}

}  // namespace pakloom::test
