// Writes the seed corpora of the fuzz harnesses: small, valid inputs of each
// kind, made with the installer's own encoders so that they stay what the
// parsers accept (proofs for the harness's challenge seed, packages from the
// package builder). Run it again after a format changes:
//   fuzz_make_corpus tests/fuzz/corpus
// Findings' reproducers live beside these seeds and are not made here.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "installer/core/ByteOrder.h"
#include "installer/core/KeyedTransform.h"
#include "installer/core/RendezvousMessage.h"
#include "installer/net/ProxySettings.h"
#include "tests/support/TestSigning.h"
#include "tools/tarnwick-pack/PackageBuilder.h"

using namespace tarnwick;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path corpora;

// The harness seeds the challenge generator with this for every input.
constexpr std::uint32_t kChallengeSeed = 20240611;
constexpr std::uint16_t kPackageVersion = 7;

void write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = corpora / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes text(const std::string& value) {
    return Bytes(value.begin(), value.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes message(std::uint32_t type, const std::vector<std::uint32_t>& words) {
    return encodeMessage(type, words);
}

Bytes offer(const char* url) {
    return encodeShortStringMessage(kMsgUpdateOffer, url);
}

void rendezvous() {
    const Bytes challenge = message(kMsgChallenge, {0, 7, 0x01020304, 0x55AA55AA});
    write("RendezvousMessage", "offer", Bytes{0} + offer("http://downloads.test/update.bin"));
    write("RendezvousMessage", "skip-challenge-pieces", Bytes{3} + message(kMsgSkip, {}) + challenge);
    write("RendezvousMessage", "redirect-bytewise", Bytes{1} + message(kMsgRedirect, {1, 0x7F000102}));
    write("RendezvousMessage", "oversized",
          Bytes{0} + message(kMsgChallenge, std::vector<std::uint32_t>(300)));

    std::mt19937 generator(kChallengeSeed);
    const std::uint32_t proof = keyedTransform(static_cast<std::uint32_t>(generator()));
    const Bytes proven = message(kMsgChallenge, {0, 7, proof, 0x12345678});
    const Bytes url = offer("http://downloads.test/update.bin");
    write("RendezvousExchange", "offer", Bytes{0} + proven + url);
    write("RendezvousExchange", "skip-offer-pieces", Bytes{5} + message(kMsgSkip, {}) + proven + url);
    write("RendezvousExchange", "redirect", Bytes{0} + message(kMsgRedirect, {proof, 0x7F000102}));
    write("RendezvousExchange", "wrong-proof", Bytes{0} + message(kMsgChallenge, {0, 7, proof + 1, 1}) + url);
    write("RendezvousExchange", "unavailable", Bytes{0} + message(kMsgServiceUnavailable, {}));
    write("RendezvousExchange", "no-update", Bytes{0} + proven + message(kMsgNoUpdate, {}));
    write("RendezvousExchange", "problem", Bytes{2} + proven + message(kMsgAutoUpdateProblem, {}));
    write("RendezvousExchange", "empty-offer", Bytes{0} + proven + offer(""));
}

void http() {
    // flags, piece, capacity; then one response per connection.
    const std::string next = "\n#next\n";
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
    write("HttpResponse", "length", Bytes{0, 0, 255} + text(ok + "Content-Length: 11\r\n\r\nhello world"));
    write("HttpResponse", "length-pieces",
          Bytes{0, 7, 3} + text(ok + "Content-Length: 11\r\n\r\nhello world"));
    write("HttpResponse", "chunked",
          Bytes{0, 0, 255} +
              text(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;ext=1\r\n world\r\n0\r\n\r\n"));
    write("HttpResponse", "chunked-pieces",
          Bytes{0, 2, 4} + text(ok + "Transfer-Encoding: chunked\r\n\r\nB\r\nhello world\r\n0\r\n\r\n"));
    write("HttpResponse", "range",
          Bytes{2, 0, 255} + text("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 1000-1010/1011\r\n"
                                  "Content-Length: 11\r\n\r\nhello world"));
    write("HttpResponse", "redirect",
          Bytes{1, 0, 255} + text("HTTP/1.1 302 Found\r\nLocation: http://mirror.test/update.bin\r\n"
                                  "Content-Length: 0\r\n\r\n" +
                                  next + ok + "Content-Length: 5\r\n\r\nhello"));
    write("HttpResponse", "proxy-challenge",
          Bytes{4, 0, 255} + text("HTTP/1.1 407 Proxy Authentication Required\r\n"
                                  "Proxy-Authenticate: Basic realm=\"proxy\"\r\nContent-Length: 0\r\n\r\n" +
                                  next + ok + "Content-Length: 5\r\n\r\nhello"));
    write("HttpResponse", "not-found",
          Bytes{0, 0, 255} + text("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"));
}

void socks() {
    // flags (1 SOCKS 5, 2 credentials), piece; then the proxy's replies.
    write("SocksReply", "socks4-granted", Bytes{0, 0, 0, 90, 0, 80, 10, 0, 0, 1});
    write("SocksReply", "socks4-refused", Bytes{0, 1, 0, 91, 0, 0, 0, 0, 0, 0});
    write("SocksReply", "socks5-ipv4", Bytes{1, 0, 5, 0, 5, 0, 0, 1, 10, 0, 0, 1, 0, 80});
    write("SocksReply", "socks5-password-name",
          Bytes{3, 0, 5, 2, 1, 0, 5, 0, 0, 3, 5} + text("proxy") + Bytes{0, 80});
    write("SocksReply", "socks5-ipv6-pieces",
          Bytes{1, 3, 5, 0, 5, 0, 0, 4} + Bytes(16, 0xFE) + Bytes{0x1F, 0x90});
    write("SocksReply", "socks5-refused", Bytes{1, 0, 5, 0, 5, 2, 0, 1, 0, 0, 0, 0, 0, 0});
    write("SocksReply", "socks5-bad-password", Bytes{3, 0, 5, 2, 1, 1});
    write("SocksReply", "socks5-no-method", Bytes{1, 0, 5, 255});
}

Bytes fileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void proxies() {
    const fs::path path = corpora / "ProxiesFile" / "Proxies.tmp";
    fs::create_directories(path.parent_path());
    const auto saved = [&](auto configure) {
        fs::remove(path);
        ProxySettings settings(path.string());
        configure(settings);
        settings.save();
        const Bytes bytes = fileBytes(path);
        fs::remove(path);
        return bytes;
    };
    const Bytes http = saved([](ProxySettings& s) {
        s.setUseHttpProxy(true);
        s.setHttpProxyHost("proxy.example");
        s.setHttpProxyPort(3128);
        s.setHttpProxyUser("user");
        s.setHttpProxyPassword("secret");
    });
    const Bytes socks = saved([](ProxySettings& s) {
        s.setUseSocksProxy(true);
        s.setSocksVersion(5);
        s.setSocksHost("10.1.2.3");
        s.setSocksPort(1080);
        s.setSocksUser("name");
        s.setSocksPassword(std::string(63, 'p').c_str());
    });
    const Bytes unusable = saved([](ProxySettings& s) {
        s.setUseHttpProxy(true);
        s.setUseSocksProxy(true);
        s.setSocksVersion(4);
    });
    write("ProxiesFile", "http-proxy", http);
    write("ProxiesFile", "socks5-proxy", socks);
    write("ProxiesFile", "without-hosts", unusable);
    write("ProxiesFile", "truncated", Bytes(http.begin(), http.begin() + 20));
}

Bytes entries() {
    using namespace pack;
    std::vector<Entry> list;
    list.push_back({kEntryFolder, 0, "bin", 1700000000, 1600000000, {}});
    list.push_back(
        {kEntryFile, kFlagClientProgram, "bin\\client.exe", 1700000000, 1600000000, text("MZ program")});
    list.push_back({kEntryFile, 0, "readme.txt", 1700000001, 1600000001, text("read me\n")});
    list.push_back({kEntryFolder, kFlagResetFolder, "cache", 0, 0, {}});
    list.push_back({kEntryRemoval, 0, "old.dll", 0, 0, {}});
    return serializeEntries(0x11111111, 0x22222222, list);
}

void packages() {
    const Bytes unpacked = entries();
    const Bytes packed = pack::compressLzma(unpacked);
    const auto size = static_cast<std::uint32_t>(unpacked.size());
    const Bytes compressed = pack::buildResource(kPackageVersion, 0, size, packed);
    write("PackageInstall", "compressed", compressed);
    write("PackageInstall", "stored", pack::buildResource(kPackageVersion, 0, size, unpacked));
    write("PackageInstall", "stored-trailer",
          pack::buildResource(kPackageVersion, 0, size, unpacked, text("trailer")));
    write("PackageInstall", "scrambled", pack::buildResource(kPackageVersion, 1, size, packed));
    write("PackageInstall", "signed", test::signedWith(compressed, test::kPublisherTestKey));

    // Records of a broken download: the header, then part of the body.
    write("DownloadRecord", "half", Bytes(compressed.begin(), compressed.begin() + 16 + packed.size() / 2));
    write("DownloadRecord", "header-only", Bytes(compressed.begin(), compressed.begin() + 16));
    write("DownloadRecord", "whole", compressed);

    // The unpacked size as three little-endian bytes, then the stream.
    const Bytes length = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                          static_cast<std::uint8_t>(size >> 16)};
    write("LzmaUnpack", "package", length + packed);
    pack::LzmaSettings odd;
    odd.lc = 0;
    odd.lp = 2;
    odd.pb = 0;
    odd.dictionarySize = 1u << 12;
    write("LzmaUnpack", "other-properties", length + pack::compressLzma(unpacked, odd));
}

Bytes littleEndian(std::uint32_t value, int bytes) {
    Bytes out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

void iconLists() {
    Bytes strip;
    for (int pixel = 0; pixel < 2 * 2 * 3; ++pixel)
        strip = strip + Bytes{0x10, 0x20, 0x30, 0xFF};
    const Bytes header = littleEndian(2, 4) + littleEndian(3, 4);
    write("IconList", "plain", header + strip);
    write("IconList", "packed", header + pack::compressLzma(strip));
}

Bytes utf16(const std::u16string& value, bool terminate = true) {
    Bytes out;
    for (char16_t c : value)
        out = out + littleEndian(c, 2);
    return terminate ? out + Bytes{0, 0} : out;
}

void dialogs() {
    const Bytes control = littleEndian(0x50010000, 4) + littleEndian(0, 4) + littleEndian(1, 2) +
                          littleEndian(2, 2) + littleEndian(50, 2) + littleEndian(14, 2) +
                          littleEndian(1, 2) + littleEndian(0xFFFF, 2) + littleEndian(0x0080, 2) +
                          utf16(u"OK") + littleEndian(0, 2);
    const auto aligned = [](Bytes bytes) {
        while (bytes.size() % 4)
            bytes.push_back(0);
        return bytes;
    };
    // points (u16 LE) and face index, then the template.
    const Bytes options = {8, 0, 0};
    const Bytes classic = littleEndian(0x80C80000, 4) + littleEndian(0, 4) + littleEndian(1, 2) +
                          littleEndian(0, 4) + littleEndian(100, 2) + littleEndian(50, 2) +
                          littleEndian(0, 4) + utf16(u"Title");
    write("DialogFont", "classic-without-font", options + aligned(classic) + control);
    const Bytes classicFont = littleEndian(0x80C80040, 4) + littleEndian(0, 4) + littleEndian(1, 2) +
                              littleEndian(0, 4) + littleEndian(100, 2) + littleEndian(50, 2) +
                              littleEndian(0xFFFF, 2) + littleEndian(5, 2) + utf16(u"Klass") +
                              utf16(u"Title") + littleEndian(9, 2) + utf16(u"Tahoma");
    write("DialogFont", "classic-with-font", Bytes{10, 0, 1} + aligned(classicFont) + control + control);
    const Bytes extended = littleEndian(1, 2) + littleEndian(0xFFFF, 2) + littleEndian(0, 4) +
                           littleEndian(0, 4) + littleEndian(0x80C80040, 4) + littleEndian(1, 2) +
                           littleEndian(0, 4) + littleEndian(279, 2) + littleEndian(103, 2) +
                           littleEndian(0xFFFF, 2) + littleEndian(7, 2) + utf16(u"MyClass") +
                           utf16(u"Install") + littleEndian(10, 2) + littleEndian(700, 2) +
                           littleEndian(0x0201, 2) + utf16(u"MS Sans Serif");
    write("DialogFont", "extended", Bytes{8, 0, 3} + aligned(extended) + control);
}

void itemPaths() {
    // The folder flag, then the path's UTF-16 code units.
    write("ItemPaths", "file", Bytes{0} + utf16(u"file.txt", false));
    write("ItemPaths", "nested-file", Bytes{0} + utf16(u"a/b/c.txt", false));
    write("ItemPaths", "folder", Bytes{1} + utf16(u"folder/sub", false));
    write("ItemPaths", "backslash-name", Bytes{0} + utf16(u"dir\\name.txt", false));
    write("ItemPaths", "non-bmp", Bytes{0} + utf16(u"\U0001F600/\u00E9t\u00E9.txt", false));
    write("ItemPaths", "dot-dot", Bytes{0} + utf16(u"a/../../escape.txt", false));
    write("ItemPaths", "absolute", Bytes{1} + utf16(u"/tmp/escape", false));
    write("ItemPaths", "dots-in-names", Bytes{0} + utf16(u"a..b/...txt", false));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
        return 2;
    }
    corpora = argv[1];
    rendezvous();
    http();
    socks();
    proxies();
    packages();
    iconLists();
    dialogs();
    itemPaths();
    return 0;
}
