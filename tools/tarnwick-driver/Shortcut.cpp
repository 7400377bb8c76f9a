#include "tools/tarnwick-driver/Shortcut.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace tarnwick::driver {

namespace {

// Releases a COM reference on scope exit.
template <typename Interface>
struct Held {
    Interface* pointer = nullptr;
    ~Held() {
        if (pointer != nullptr) pointer->Release();
    }
};

}  // namespace

bool readShortcut(const std::string& file, ShortcutFacts& facts) {
    Held<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.pointer))))
        return false;
    Held<IPersistFile> persist;
    if (FAILED(link.pointer->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist.pointer))))
        return false;
    const std::wstring wide(file.begin(), file.end());
    if (FAILED(persist.pointer->Load(wide.c_str(), STGM_READ))) return false;

    char target[MAX_PATH] = {};
    char arguments[1024] = {};
    char description[1024] = {};
    if (FAILED(link.pointer->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return false;
    if (FAILED(link.pointer->GetArguments(arguments, sizeof arguments))) arguments[0] = '\0';
    if (FAILED(link.pointer->GetDescription(description, sizeof description))) description[0] = '\0';
    facts = {target, arguments, description};
    return true;
}

}  // namespace tarnwick::driver
