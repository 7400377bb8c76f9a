#include "extract/Mswin/Paths.h"

namespace Mswin {

// Windows accepts both slashes; a colon ends a drive name ("C:").
char16_t PathSeparator() {
    return u'\\';
}
bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}
bool EndsFolderName(char16_t c) {
    return IsSeparator(c) || c == u':';
}

// Rooted ("\x", "/x"), network ("\\server") and drive ("C:", "C:\x") paths.
bool IsRootedPath(const std::u16string& path) {
    if (path.empty()) return false;
    if (IsSeparator(path.front())) return true;
    return path.size() >= 2 && path[1] == u':';
}

}  // namespace Mswin
