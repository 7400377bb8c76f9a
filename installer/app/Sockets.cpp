#include "installer/app/Sockets.h"

#include <winsock2.h>

namespace tarnwick {

bool startSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

}  // namespace tarnwick
