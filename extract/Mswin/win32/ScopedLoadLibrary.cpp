#include "extract/Mswin/ScopedLoadLibrary.h"

#include <windows.h>

namespace Mswin {

ScopedLoadLibrary::ScopedLoadLibrary(const std::u16string& path)
    : module_(::LoadLibraryW(reinterpret_cast<const wchar_t*>(path.c_str()))) {
    if (!module_) throw LoadLibraryFailedException();
}

ScopedLoadLibrary::~ScopedLoadLibrary() {
    if (module_) ::FreeLibrary(static_cast<HMODULE>(module_));
}

ScopedLoadLibrary::EntryPoint ScopedLoadLibrary::FindEntryPoint(const char* name) const {
    return reinterpret_cast<EntryPoint>(::GetProcAddress(static_cast<HMODULE>(module_), name));
}

}  // namespace Mswin
