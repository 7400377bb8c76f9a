#include "extract/Mswin/Paths.h"

namespace Mswin {

std::u16string AppendPath(const std::u16string& folder, const std::u16string& item) {
    std::u16string joined = folder;
    const bool itemRooted = !item.empty() && IsSeparator(item.front());
    if (!folder.empty() && !EndsFolderName(folder.back()) && !itemRooted) joined += PathSeparator();
    return joined + item;
}

std::u16string RemoveFilename(const std::u16string& path) {
    std::size_t end = path.size();
    while (end > 0 && !EndsFolderName(path[end - 1]))
        --end;
    // Drop the separators before the name, but never a root ("/", "C:\\").
    const auto isDriveColon = [](char16_t c) { return EndsFolderName(c) && !IsSeparator(c); };
    while (end > 1 && IsSeparator(path[end - 1]) && !isDriveColon(path[end - 2]))
        --end;
    return path.substr(0, end);
}

bool LeavesFolder(const std::u16string& itemPath) {
    if (IsRootedPath(itemPath)) return true;
    std::size_t start = 0;
    while (start <= itemPath.size()) {
        std::size_t end = start;
        while (end < itemPath.size() && !IsSeparator(itemPath[end]))
            ++end;
        const std::u16string component = itemPath.substr(start, end - start);
        if (component == u".." || IsUnsafeComponent(component)) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace Mswin
