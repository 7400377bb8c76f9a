// tarnwick-pack: builds an update package from a folder, lists one, or
// checks its publisher's signature.
//
//   tarnwick-pack build SOURCE OUTPUT --version N [--program NAME]
//                 [--remove NAME]... [--reset NAME]... [--words W1,W2]
//                 [--trailer FILE] [--level 0-9] [--dictionary BYTES]
//                 [--sign PRIVATE.pem]
//   tarnwick-pack list PACKAGE
//   tarnwick-pack verify PACKAGE PUBLIC.pem
//
// Names are relative to SOURCE and backslash-separated, as in the package,
// and UTF-8, as this system's file names are.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "installer/codec/LzmaUnpack.h"
#include "installer/core/ByteOrder.h"
#include "installer/package/PackageSignature.h"
#include "installer/platform/Utf8.h"
#include "tools/tarnwick-pack/FolderScan.h"
#include "tools/tarnwick-pack/PackageBuilder.h"
#include "tools/tarnwick-pack/PemSigner.h"

namespace {

using namespace tarnwick;

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: tarnwick-pack build SOURCE OUTPUT --version N [--program NAME] [--remove NAME]...\n"
                 "                          [--reset NAME]... [--words W1,W2] [--trailer FILE]\n"
                 "                          [--level 0-9] [--dictionary BYTES] [--sign PRIVATE.pem]\n"
                 "       tarnwick-pack list PACKAGE\n"
                 "       tarnwick-pack verify PACKAGE PUBLIC.pem\n");
    std::exit(2);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string hexText(const KeyId& id) {
    std::string text;
    char pair[3];
    for (const std::uint8_t byte : id) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

std::uint32_t parseNumber(const char* text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (!*text || *end || value > UINT32_MAX) throw std::runtime_error(std::string("not a number: ") + text);
    return static_cast<std::uint32_t>(value);
}

int build(int argc, char** argv) {
    if (argc < 4) usage();
    const std::string source = argv[2];
    const std::string output = argv[3];
    pack::ScanOptions scan;
    pack::LzmaSettings lzma;
    std::uint32_t version = 0;
    bool haveVersion = false;
    std::uint32_t words[2] = {0, 0};
    std::vector<std::uint8_t> trailer;
    std::optional<pack::Signer> signer;
    for (int i = 4; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) usage();
        const char* value = argv[++i];
        if (option == "--version") {
            version = parseNumber(value);
            haveVersion = true;
        } else if (option == "--program") {
            scan.clientProgram = value;
        } else if (option == "--remove") {
            scan.removals.push_back(value);
        } else if (option == "--reset") {
            scan.resetFolders.insert(value);
        } else if (option == "--words") {
            const char* comma = std::strchr(value, ',');
            if (!comma) usage();
            words[0] = parseNumber(std::string(value, comma).c_str());
            words[1] = parseNumber(comma + 1);
        } else if (option == "--trailer") {
            trailer = readFile(value);
        } else if (option == "--sign") {
            const auto pem = readFile(value);
            try {
                signer =
                    pack::pemSigner(std::string_view(reinterpret_cast<const char*>(pem.data()), pem.size()));
            } catch (const std::runtime_error& error) {
                throw std::runtime_error(std::string(value) + ": " + error.what());
            }
        } else if (option == "--level") {
            lzma.level = static_cast<int>(parseNumber(value));
        } else if (option == "--dictionary") {
            lzma.dictionarySize = parseNumber(value);
        } else {
            usage();
        }
    }
    if (!haveVersion || version > 0xFFFF) throw std::runtime_error("--version must be given, 0 to 65535");

    const auto entries = pack::scanFolder(source, scan);
    auto resource =
        pack::buildPackage(static_cast<std::uint16_t>(version), entries, lzma, words[0], words[1], trailer);
    if (resource.empty()) throw std::runtime_error("the LZMA encoder failed");
    if (signer) resource = pack::signResource(std::move(resource), *signer);
    std::ofstream file(output, std::ios::binary);
    file.write(reinterpret_cast<const char*>(resource.data()), static_cast<std::streamsize>(resource.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + output);
    std::printf("%s: version %u, %zu entries, %u bytes unpacked, %u bytes packed\n", output.c_str(), version,
                entries.size(), loadBigEndian32(resource.data() + 4), loadBigEndian32(resource.data() + 8));
    if (signer) std::printf("signed for key id %s\n", hexText(signer->keyId).c_str());
    return 0;
}

// A name as the listing shows it: always UTF-8, so that it reads the same in
// any terminal. A name that is not UTF-8 comes from an older packer, and
// Windows reads it in its own ANSI code page, which is not known here: its
// bytes beyond ASCII are shown as \xNN and the name is marked.
std::string displayName(const std::string& name) {
    if (platform::isUtf8(name)) return name;
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            shown += c;
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        }
    }
    return shown + "  (not UTF-8: read in the ANSI code page)";
}

// Walks the unpacked entry list; stops at the end entry or at damage.
void listEntries(const std::vector<std::uint8_t>& unpacked) {
    std::size_t at = 8;
    if (unpacked.size() < at) throw std::runtime_error("unpacked package shorter than its leading words");
    std::printf("leading words %u %u\n", loadBigEndian32(unpacked.data()),
                loadBigEndian32(unpacked.data() + 4));
    auto need = [&](std::size_t count) {
        if (unpacked.size() - at < count) throw std::runtime_error("entry list runs past the package");
    };
    for (;;) {
        need(1);
        const unsigned kind = unpacked[at++];
        if (kind == 0) break;
        need(1);
        const unsigned flags = unpacked[at++];
        const auto nul = std::find(unpacked.begin() + static_cast<std::ptrdiff_t>(at), unpacked.end(), 0);
        if (nul == unpacked.end()) throw std::runtime_error("entry name without terminator");
        const std::string name(unpacked.begin() + static_cast<std::ptrdiff_t>(at), nul);
        at = static_cast<std::size_t>(nul - unpacked.begin()) + 1;
        std::int32_t times[2] = {0, 0};
        std::uint32_t size = 0;
        if (kind == 1 || kind == 2) {
            need(8);
            times[0] = static_cast<std::int32_t>(loadBigEndian32(&unpacked[at]));
            times[1] = static_cast<std::int32_t>(loadBigEndian32(&unpacked[at + 4]));
            at += 8;
        }
        if (kind == 1) {
            need(4);
            size = loadBigEndian32(&unpacked[at]);
            at += 4;
            need(size);
            at += size;
        }
        const char* label = kind == 1 ? "file" : kind == 2 ? "folder" : kind == 3 ? "remove" : "other";
        std::printf("%-6s flags %02x  mtime %11d  ctime %11d  size %10u  %s\n", label, flags, times[0],
                    times[1], size, displayName(name).c_str());
    }
}

int list(int argc, char** argv) {
    if (argc != 3) usage();
    const auto resource = readFile(argv[2]);
    if (resource.size() < 16) throw std::runtime_error("shorter than a package header");
    const std::uint32_t unpackedSize = loadBigEndian32(&resource[4]);
    const std::uint32_t packedSize = loadBigEndian32(&resource[8]);
    const std::uint32_t trailerSize = loadBigEndian32(&resource[12]);
    std::printf("format %u flags %02x version %u unpacked %u packed %u trailer %u\n", resource[0],
                resource[1], loadBigEndian16(&resource[2]), unpackedSize, packedSize, trailerSize);
    if (resource.size() - 16 != std::uint64_t{packedSize} + trailerSize)
        throw std::runtime_error("body length does not match the header");
    if (packedSize >= 1) std::printf("lzma properties %u\n", resource[16]);
    std::vector<std::uint8_t> unpacked(unpackedSize);
    if (unpackedSize == packedSize) {
        std::copy(resource.begin() + 16, resource.begin() + 16 + packedSize, unpacked.begin());
    } else if (!unpackLzma(&resource[16], packedSize, unpacked.data(), unpacked.size())) {
        throw std::runtime_error("the packed package does not decode to its unpacked size");
    }
    listEntries(unpacked);
    return 0;
}

// Exit code 0 only for a package that the installer built with this key
// would install; 1, saying why, for any other.
int verify(int argc, char** argv) {
    if (argc != 4) usage();
    const auto resource = readFile(argv[2]);
    const auto pem = readFile(argv[3]);
    const auto key =
        publisherKeyFromPem(std::string_view(reinterpret_cast<const char*>(pem.data()), pem.size()));
    if (!key) throw std::runtime_error(std::string(argv[3]) + ": not a P-256 public key in PEM form");
    if (resource.size() < kPackageHeaderLength) throw std::runtime_error("shorter than a package header");
    std::uint8_t header[kPackageHeaderLength];
    std::copy(resource.begin(), resource.begin() + kPackageHeaderLength, header);
    const std::uint64_t body = resource.size() - kPackageHeaderLength;
    if (body != std::uint64_t{loadBigEndian32(header + 8)} + loadBigEndian32(header + 12))
        throw std::runtime_error("body length does not match the header");
    switch (checkPackageSignature(*key, header, resource.data() + kPackageHeaderLength,
                                  static_cast<std::uint32_t>(body))) {
        case SignatureCheck::kValid:
            std::printf("%s: signature valid, key id %s\n", argv[2], hexText(key->id).c_str());
            return 0;
        case SignatureCheck::kUnsigned:
            std::printf("%s: not signed\n", argv[2]);
            break;
        case SignatureCheck::kOtherKey:
            std::printf("%s: signed for another key (key id %s expected)\n", argv[2],
                        hexText(key->id).c_str());
            break;
        case SignatureCheck::kInvalid:
            std::printf("%s: signature does not match the package\n", argv[2]);
            break;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 2 && std::strcmp(argv[1], "build") == 0) return build(argc, argv);
        if (argc >= 2 && std::strcmp(argv[1], "list") == 0) return list(argc, argv);
        if (argc >= 2 && std::strcmp(argv[1], "verify") == 0) return verify(argc, argv);
        usage();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnwick-pack: %s\n", error.what());
        return 1;
    }
}
