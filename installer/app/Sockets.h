#pragma once

namespace tarnwick {

// Starts Winsock 1.1 for the whole process, all the installer asks of the
// sockets layer. False when the system has none: no update can run then.
[[nodiscard]] bool startSockets();

}  // namespace tarnwick
