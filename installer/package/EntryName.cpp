#include "installer/package/EntryName.h"

#include <algorithm>

#include "installer/net/ProtocolText.h"

namespace tarnwick {

namespace {

// Windows opens a device for these names whatever extension follows them,
// and also with blanks before the extension ("NUL .txt").
bool isDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (sameIgnoringCase(base, device)) return true;
    }
    if (base.size() != 4 || base[3] < '1' || base[3] > '9') return false;
    return sameIgnoringCase(base.substr(0, 3), "COM") || sameIgnoringCase(base.substr(0, 3), "LPT");
}

}  // namespace

const char* entryNameProblem(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (name.size() >= kEntryNameCapacity) return "the name is 2,048 bytes or longer";
    if (name.find("..") != std::string_view::npos) return "the name holds \"..\"";
    if (name.find(':') != std::string_view::npos) return "the name holds a colon";
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find_first_of("\\/", start), name.size());
        const std::string_view component = name.substr(start, end - start);
        if (component.empty()) return "the name has an empty component";
        if (component.back() == '.' || component.back() == ' ')
            return "a component ends in a dot or a blank, which Windows drops";
        if (isDeviceName(component)) return "a component is a Windows device name";
        start = end + 1;
    }
    return nullptr;
}

}  // namespace tarnwick
