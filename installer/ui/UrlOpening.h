#pragma once

#include <windows.h>

#include <functional>

namespace tarnwick::ui {

// Opening addresses with the shell. Each reports a failure with its own
// alert and does nothing else.

// Completes a text that lacks a scheme and opens it in the browser, the
// mail client or, for any other scheme, with the shell's generic "open".
void openUrl(const char* text);
void openInBrowser(const char* url);
void openInMailClient(const char* url);

// What opens an address: ShellExecuteA with the verb "open" by default.
// Results of 32 or less are failures. Tests put a recorder in its place;
// the previous opener is returned.
using ShellOpener = std::function<INT_PTR(const char* address)>;
ShellOpener setShellOpener(ShellOpener opener);

}  // namespace tarnwick::ui
