#pragma once

#include <string>

namespace Mswin {

// The path as the file functions take it. They refuse paths from MAX_PATH
// characters on (folders from MAX_PATH - 12) unless given in the extended
// form \\?\C:\... or \\?\UNC\server\share\..., which the system takes as
// it stands: absolute, backslashes only, no "." or ".." components. So a
// long path is made full first; a shorter one is passed on as it is.
std::wstring SystemPath(const std::u16string& path);

}  // namespace Mswin
