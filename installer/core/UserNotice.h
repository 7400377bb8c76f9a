#pragma once

#include <functional>

#include "installer/core/Log.h"

namespace tarnwick {

// The one way any layer shows a problem to the user, and the one way an
// address is opened in the browser or mail client. The Windows program
// installs handlers that show the alert dialog and open the browser; tests
// install handlers that record the calls. alert returns once the user has
// closed the alert, so a worker thread that calls it waits for that.
using AlertHandler = std::function<void(const char* title, const char* text)>;
using OpenUrlHandler = std::function<void(const char* address)>;

void alert(const char* title, const char* text);
void openUrl(const char* address);

// Replaces the handler and returns the previous one. Set handlers before any
// worker thread starts; they are not guarded for concurrent replacement.
AlertHandler setAlertHandler(AlertHandler handler);
OpenUrlHandler setOpenUrlHandler(OpenUrlHandler handler);

// Writes every alert (title and text) and every address to log, which must
// outlive the handlers. With show, each then goes on to the handlers in
// place before; without, nothing is shown or opened: a run that nobody
// watches still leaves a record of what it would have said.
void logUserNotices(Log& log, bool show);

}  // namespace tarnwick
