#include "tools/tarnwick-driver/Shortcut.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <utility>

#include "installer/platform/win32/ComReference.h"

namespace tarnwick::driver {

bool readShortcut(const std::string& file, ShortcutFacts& facts) {
    platform::ComReference<IShellLinkA> link;
    platform::ComReference<IPersistFile> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.putVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.putVoid())))
        return false;
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH) == 0) return false;
    if (FAILED(persist->Load(wide, STGM_READ))) return false;

    char target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return false;
    char text[1024];
    ShortcutFacts read{target, {}, {}, {}};
    if (SUCCEEDED(link->GetArguments(text, sizeof text))) read.arguments = text;
    if (SUCCEEDED(link->GetDescription(text, sizeof text))) read.description = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) read.workingFolder = text;
    facts = std::move(read);
    return true;
}

}  // namespace tarnwick::driver
