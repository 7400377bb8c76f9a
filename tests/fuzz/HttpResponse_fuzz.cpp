// Responses of a web server or an HTTP proxy to the download's request: the
// response head, then a length-delimited or chunked body read piece by
// piece. The input's first bytes choose how the request is made; the rest is
// one response per connection the client opens (a redirect or a proxy's
// challenge opens another), separated by kNextConnection.
//
//   flags u8 | piece u8 | capacity u8 | response [kNextConnection response]...
//
//   flags: 1 allow a redirect, 2 resume from an offset, 4 through an HTTP
//   proxy with credentials
#include <cstdint>
#include <memory>
#include <vector>

#include "installer/net/HttpClient.h"
#include "installer/net/ProxySettings.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryConnection.h"

using namespace tarnwick;

namespace {

constexpr const char* kNextConnection = "\n#next\n";
constexpr std::uint32_t kResumeOffset = 1000;

void configureProxy(bool viaProxy) {
    ProxySettings& settings = ProxySettings::instance();
    settings.setUseSocksProxy(false);
    settings.setUseHttpProxy(viaProxy);
    settings.setHttpProxyHost("proxy.test");
    settings.setHttpProxyPort(8080);
    settings.setHttpProxyUser("user");
    settings.setHttpProxyPassword("secret");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    fuzz::InputReader input(data, size);
    const std::uint8_t flags = input.byte();
    const std::uint32_t piece = fuzz::pieceSize(input.byte());
    const std::uint32_t capacity = input.byte() + 1u;
    configureProxy(flags & 4);

    HttpClient client([&]() -> std::unique_ptr<Connection> {
        return std::make_unique<test::MemoryConnection>(input.until(kNextConnection), piece);
    });
    client.setUrl("http://downloads.test/update.bin");
    client.setResumeOffset(flags & 2 ? kResumeOffset : 0);
    if (client.request(flags & 1) != 0) return 0;

    std::vector<std::uint8_t> buffer(capacity);
    const std::uint32_t start = client.position();
    std::uint64_t received = 0;
    for (;;) {
        const std::int32_t got = client.read(buffer.data(), capacity);
        if (got <= 0) break;
        if (static_cast<std::uint32_t>(got) > capacity)
            fuzz::fail("read returned more than it was given room for");
        received += static_cast<std::uint32_t>(got);
        if (client.position() != start + received) fuzz::fail("the position does not follow the bytes read");
    }
    return 0;
}
