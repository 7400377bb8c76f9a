#include "extract/Mswin/Paths.h"

#include <algorithm>
#include <array>

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

namespace {

char16_t ToUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Windows opens a device for these names in any folder, whatever extension
// follows and whatever blanks stand before it ("NUL .txt"), in any case.
bool IsDeviceName(const std::u16string& component) {
    std::u16string base = component.substr(0, component.find(u'.'));
    while (!base.empty() && base.back() == u' ')
        base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), ToUpper);
    static const std::array<std::u16string, 6> kDevices = {u"CON", u"PRN",    u"AUX",
                                                           u"NUL", u"CONIN$", u"CONOUT$"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) return true;
    return base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0) &&
           base[3] >= u'1' && base[3] <= u'9';
}

}  // namespace

// A colon names a stream of another file; a name's trailing dots and blanks
// are dropped, so "Setup.exe." would write "Setup.exe". "." and ".." are
// folder references, which the callers judge themselves.
bool IsUnsafeComponent(const std::u16string& component) {
    if (component == u"." || component == u"..") return false;
    if (component.find(u':') != std::u16string::npos) return true;
    if (!component.empty() && (component.back() == u'.' || component.back() == u' ')) return true;
    return IsDeviceName(component);
}

}  // namespace Mswin
