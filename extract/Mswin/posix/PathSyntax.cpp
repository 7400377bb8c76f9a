#include "extract/Mswin/Paths.h"

namespace Mswin {

// A backslash is an ordinary character in a POSIX name.
char16_t PathSeparator() {
    return u'/';
}
bool IsSeparator(char16_t c) {
    return c == u'/';
}
bool EndsFolderName(char16_t c) {
    return c == u'/';
}
bool IsRootedPath(const std::u16string& path) {
    return !path.empty() && path.front() == u'/';
}
bool IsUnsafeComponent(const std::u16string&) {
    return false;
}

}  // namespace Mswin
