// http-fetch: downloads one resource into memory and reports the throughput.
//
//   http-fetch URL SIZE [socks4|socks5 HOST PORT]   through HttpClient
//   http-fetch --bare HOST PATH SIZE                 a bare client for reference
//
// The resource is downloaded twice into the same block of SIZE bytes and only
// the second download is timed: the first brings the block's pages in, which
// on a fresh allocation costs more than the transfer itself. Prints
// "<bytes> bytes <MB/s> MB/s".

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "installer/net/HttpClient.h"
#include "installer/net/ProxySettings.h"
#include "installer/net/TcpConnection.h"

namespace {

using tarnwick::FailureCode;

std::uint32_t viaHttpClient(const char* url, std::vector<std::uint8_t>& block) {
    tarnwick::HttpClient client;
    client.setUrl(url);
    const FailureCode code = client.request(true);
    if (code != 0) {
        std::fprintf(stderr, "http-fetch: request failed with %d\n", code);
        std::exit(1);
    }
    std::uint32_t done = 0;
    for (;;) {
        const std::int32_t got =
            client.read(block.data() + done, static_cast<std::uint32_t>(block.size()) - done);
        if (got < 0) {
            if (got != -1) {
                std::fprintf(stderr, "http-fetch: read failed with %d\n", got);
                std::exit(1);
            }
            return done;
        }
        done += static_cast<std::uint32_t>(got);
    }
}

// The least a blocking client can do: one request, the head read line by
// line, then the body received straight into the block.
std::uint32_t bare(const char* host, const char* path, std::vector<std::uint8_t>& block) {
    tarnwick::TcpConnection connection;
    connection.connectTo(host, 80);
    connection.sendString((std::string("GET ") + path + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n").c_str());
    char line[1024];
    do {
        connection.readLine(line, sizeof line);
    } while (std::strcmp(line, "\r\n") != 0);
    std::uint32_t done = 0;
    while (done < block.size()) {
        done += connection.receiveSome(block.data() + done, static_cast<std::uint32_t>(block.size()) - done);
    }
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    const bool isBare = argc == 5 && std::strcmp(argv[1], "--bare") == 0;
    if (!isBare && argc != 3 && argc != 6) {
        std::fprintf(stderr,
                     "usage: http-fetch URL SIZE [socks4|socks5 HOST PORT]\n"
                     "       http-fetch --bare HOST PATH SIZE\n");
        return 2;
    }
    try {
        std::vector<std::uint8_t> block(std::strtoul(argv[isBare ? 4 : 2], nullptr, 10));
        tarnwick::ProxySettings& settings = tarnwick::ProxySettings::instance();
        settings.setUseHttpProxy(false);
        settings.setUseSocksProxy(argc == 6);
        if (argc == 6 && !isBare) {
            settings.setSocksVersion(std::strcmp(argv[3], "socks4") == 0 ? 4 : 5);
            settings.setSocksHost(argv[4]);
            settings.setSocksPort(static_cast<std::uint16_t>(std::atoi(argv[5])));
        }
        const auto download = [&] {
            return isBare ? bare(argv[2], argv[3], block) : viaHttpClient(argv[1], block);
        };
        (void)download();
        const auto start = std::chrono::steady_clock::now();
        const std::uint32_t got = download();
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        std::printf("%u bytes %.1f MB/s\n", got, got / seconds.count() / 1e6);
        return got == block.size() ? 0 : 1;
    } catch (FailureCode code) {
        std::fprintf(stderr, "http-fetch: failed with %d\n", code);
        return 1;
    }
}
