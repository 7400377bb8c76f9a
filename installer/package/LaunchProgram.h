#pragma once

namespace tarnwick {

// Starts a program without waiting for it; true when the system started it
// (callers may ignore that). The text is either a bare program path, or a
// command line whose program path is in double quotes, possibly followed by
// arguments. The working folder is the program's own folder.
//
// Unquoted text is taken as a path as written. When no file of that name
// exists, the program is the longest part before a blank that names a file,
// and the rest are its arguments: an uninstall command is quoted only when
// its path has blanks, so "C:\x\Tarnwick.exe /uninstall" must still start.
// When no such file exists, nothing is started.
bool launchProgram(const char* text);

}  // namespace tarnwick
