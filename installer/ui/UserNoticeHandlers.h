#pragma once

namespace tarnwick::ui {

// Makes the alert dialog and the shell the handlers of the installer's
// alert and openUrl, for the Windows program. Call before any worker thread
// starts.
void installUserNoticeHandlers();

}  // namespace tarnwick::ui
