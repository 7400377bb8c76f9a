// Connection::open: a direct connection, or one through the SOCKS proxy with
// the SOCKS 4 or SOCKS 5 (with username/password) handshake. The destination
// is always resolved here and sent as an IPv4 address, never as a name.

#include <cstdint>

#include "installer/core/ByteOrder.h"
#include "installer/core/Failure.h"
#include "installer/core/UserNotice.h"
#include "installer/net/Connection.h"
#include "installer/net/ProtocolText.h"
#include "installer/net/ProxySettings.h"

namespace tarnwick {

namespace {

constexpr const char* kSocksAdvice =
    "Check with your ISP or network administrator to make sure you have the correct proxy settings";

[[noreturn]] void refuse(const char* title) {
    if (title != nullptr) {
        alert(title, kSocksAdvice);
    }
    throw kConnectionFailure;
}

// The alert for a SOCKS 5 reply code; the codes a user can do nothing about
// (network or host unreachable, refused, expired, unassigned) have none.
const char* socks5ReplyTitle(std::uint8_t code) {
    switch (code) {
        case 1:
            return "SOCKS Proxy: SOCKS server failure";
        case 2:
            return "SOCKS Proxy: Connection not allowed by ruleset";
        case 7:
            return "SOCKS Proxy: Command not supported";
        case 8:
            return "SOCKS Proxy: Address type not supported";
        default:
            return nullptr;
    }
}

void socks4Connect(Connection& connection, std::uint32_t address, std::uint16_t port) {
    //   +----+----+----+----+----+----+----+----+----+
    //   | VN | CD | DSTPORT |      DSTIP        | 0  |   VN 4, CD 1 (CONNECT),
    //   +----+----+----+----+----+----+----+----+----+   empty user id
    std::uint8_t message[9] = {4, 1};
    storeBigEndian16(message + 2, port);
    storeBigEndian32(message + 4, address);
    message[8] = 0;
    connection.sendAll(message, sizeof message);

    //   +----+----+----+----+----+----+----+----+
    //   | VN | CD | (ignored)                   |   granted: VN 0, CD 90
    //   +----+----+----+----+----+----+----+----+
    std::uint8_t reply[8];
    connection.receiveExactly(reply, sizeof reply);
    if (reply[0] != 0 || reply[1] != 90) {
        throw kConnectionFailure;
    }
}

void socks5Authenticate(Connection& connection, const ProxySettings& settings) {
    //   +-----+------+----------+------+----------+
    //   | VER | ULEN |  UNAME   | PLEN |  PASSWD  |   VER 1
    //   +-----+------+----------+------+----------+
    std::uint8_t message[3 + 255 + 255];
    message[0] = 1;
    std::uint8_t* end = copyLengthPrefixed(message + 1, settings.socksUser());
    end = copyLengthPrefixed(end, settings.socksPassword());
    connection.sendAll(message, static_cast<std::uint32_t>(end - message));

    std::uint8_t reply[2];  // VER, STATUS (0 = success)
    connection.receiveExactly(reply, sizeof reply);
    if (reply[1] != 0) {
        refuse("SOCKS Proxy: Invalid username or password");
    }
}

void socks5Connect(Connection& connection, const ProxySettings& settings, std::uint32_t address,
                   std::uint16_t port) {
    //   +-----+----------+----------+----------+
    //   | VER | NMETHODS |    0     |    2     |   no authentication, or
    //   +-----+----------+----------+----------+   username/password
    const std::uint8_t greeting[4] = {5, 2, 0, 2};
    connection.sendAll(greeting, sizeof greeting);
    std::uint8_t choice[2];  // VER, METHOD
    connection.receiveExactly(choice, sizeof choice);
    if (choice[1] == 255) {
        refuse("SOCKS Proxy: Unacceptable method");
    }
    if (choice[1] == 2) {
        socks5Authenticate(connection, settings);
    }

    //   +-----+-----+-----+------+----+----+----+----+----+----+
    //   | VER | CMD | RSV | ATYP |      DST.ADDR     | DST.PORT|   CMD 1, ATYP 1
    //   +-----+-----+-----+------+----+----+----+----+----+----+
    std::uint8_t request[10] = {5, 1, 0, 1};
    storeBigEndian32(request + 4, address);
    storeBigEndian16(request + 8, port);
    connection.sendAll(request, sizeof request);

    //   +-----+-----+-----+------+----------+----------+
    //   | VER | REP | RSV | ATYP | BND.ADDR | BND.PORT |   the bound address is
    //   +-----+-----+-----+------+----------+----------+   read and discarded
    std::uint8_t head[4];
    connection.receiveExactly(head, sizeof head);
    if (head[1] != 0) {
        refuse(socks5ReplyTitle(head[1]));
    }
    std::uint8_t bound[255 + 2];
    switch (head[3]) {
        case 1:
            connection.receiveExactly(bound, 4 + 2);
            break;
        case 3: {
            std::uint8_t length;
            connection.receiveExactly(&length, 1);
            connection.receiveExactly(bound, length + 2u);
            break;
        }
        case 4:
            connection.receiveExactly(bound, 16 + 2);
            break;
        default:
            break;
    }
}

}  // namespace

void Connection::open(const char* host, std::uint16_t port) {
    const ProxySettings& settings = ProxySettings::instance();
    if (!settings.useSocksProxy()) {
        connectTo(host, port);
        return;
    }
    // With both proxies configured, the HTTP proxy itself is reached directly.
    if (settings.useHttpProxy() && port == settings.httpProxyPort() &&
        sameIgnoringCase(host, settings.httpProxyHost())) {
        connectTo(host, port);
        return;
    }
    // Resolved before the proxy is contacted: a name that does not resolve
    // costs no connection.
    const std::uint32_t address = resolve(host);
    connectTo(settings.socksHost(), settings.socksPort());
    if (settings.socksVersion() == 4) {
        socks4Connect(*this, address, port);
    } else {
        socks5Connect(*this, settings, address, port);
    }
}

}  // namespace tarnwick
