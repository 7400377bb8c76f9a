#pragma once

#include <string>

namespace Mswin {

// The platform's path syntax, the little of it the library needs.
char16_t PathSeparator();
bool IsSeparator(char16_t c);
// A folder ending in such a character needs no separator before a name.
bool EndsFolderName(char16_t c);
// Absolute, rooted or drive-relative: joining it would not stay below a folder.
bool IsRootedPath(const std::u16string& path);
// A path component the system would not keep as a file of that name in the
// folder: on Windows a device (NUL, COM1.txt), an alternate stream ("a:b")
// or a name it trims ("x.", "x "). Any name is a name on POSIX.
bool IsUnsafeComponent(const std::u16string& component);

// folder / item: a separator is inserted unless folder is empty or already
// ends in one (or a drive colon); none is inserted when item starts with one.
std::u16string AppendPath(const std::u16string& folder, const std::u16string& item);

// The path without its last component and the separators before it.
std::u16string RemoveFilename(const std::u16string& path);

// True when an item path from an archive would land outside the folder it is
// extracted into, or somewhere other than the file it names: rooted paths,
// any ".." component and any component the system would not keep as named.
bool LeavesFolder(const std::u16string& itemPath);

}  // namespace Mswin
