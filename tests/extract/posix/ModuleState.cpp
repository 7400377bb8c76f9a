#include <dlfcn.h>

#include "extract/Mswin/Text.h"
#include "tests/extract/PakloomTesting.h"

namespace pakloom::test {

bool IsModuleLoaded(const std::u16string& path) {
    void* module = ::dlopen(Mswin::Utf16ToUtf8(path).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (module) ::dlclose(module);
    return module != nullptr;
}

}  // namespace pakloom::test
