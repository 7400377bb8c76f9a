#include "tools/tarnwick-driver/Shortcut.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <utility>

#include "installer/platform/win32/ComReference.h"
#include "installer/platform/win32/WideText.h"

namespace tarnwick::driver {

using platform::toUtf16;
using platform::toUtf8;

bool readShortcut(const std::string& file, ShortcutFacts& facts) {
    platform::ComReference<IShellLinkW> link;
    platform::ComReference<IPersistFile> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.putVoid())))
        return false;
    if (FAILED(persist->Load(toUtf16(file).c_str(), STGM_READ))) return false;

    // The link's item list holds the target's names in UTF-16; the plain
    // path beside it is kept in the ANSI code page by some shells (Wine's),
    // which loses what that code page lacks.
    wchar_t target[MAX_PATH] = {};
    LPITEMIDLIST items = nullptr;
    const bool fromItems =
        SUCCEEDED(link->GetIDList(&items)) && items != nullptr && SHGetPathFromIDListW(items, target);
    CoTaskMemFree(items);
    if (!fromItems && FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return false;
    wchar_t text[1024];
    ShortcutFacts read{toUtf8(target), {}, {}, {}};
    if (SUCCEEDED(link->GetArguments(text, 1024))) read.arguments = toUtf8(text);
    if (SUCCEEDED(link->GetDescription(text, 1024))) read.description = toUtf8(text);
    if (SUCCEEDED(link->GetWorkingDirectory(text, 1024))) read.workingFolder = toUtf8(text);
    facts = std::move(read);
    return true;
}

}  // namespace tarnwick::driver
