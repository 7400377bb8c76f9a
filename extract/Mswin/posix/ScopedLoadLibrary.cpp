#include "extract/Mswin/ScopedLoadLibrary.h"

#include <dlfcn.h>

#include "extract/Mswin/Text.h"

namespace Mswin {

ScopedLoadLibrary::ScopedLoadLibrary(const std::u16string& path)
    // RTLD_LOCAL keeps the engine's own symbols (its BSTR and error helpers)
    // from resolving anybody else's references.
    : module_(::dlopen(Utf16ToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!module_) throw LoadLibraryFailedException();
}

ScopedLoadLibrary::~ScopedLoadLibrary() {
    if (module_) ::dlclose(module_);
}

ScopedLoadLibrary::EntryPoint ScopedLoadLibrary::FindEntryPoint(const char* name) const {
    return reinterpret_cast<EntryPoint>(::dlsym(module_, name));
}

}  // namespace Mswin
