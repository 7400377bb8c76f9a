// A SOCKS proxy's replies to the handshake that Connection::open runs when
// the settings name one.
//
//   flags u8 | piece u8 | replies
//
//   flags: 1 SOCKS 5 (else SOCKS 4), 2 with a user name and password
#include <cstdint>

#include "installer/net/ProxySettings.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryConnection.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    fuzz::InputReader input(data, size);
    const std::uint8_t flags = input.byte();
    const std::uint32_t piece = fuzz::pieceSize(input.byte());

    ProxySettings& settings = ProxySettings::instance();
    settings.setUseHttpProxy(false);
    settings.setUseSocksProxy(true);
    settings.setSocksVersion(flags & 1 ? 5 : 4);
    settings.setSocksHost("socks.test");
    settings.setSocksPort(1080);
    settings.setSocksUser(flags & 2 ? "user" : "");
    settings.setSocksPassword(flags & 2 ? "secret" : "");

    test::MemoryConnection connection(input.rest(), piece);
    try {
        connection.open("downloads.test", 80);
    } catch (FailureCode) {
    }
    return 0;
}
