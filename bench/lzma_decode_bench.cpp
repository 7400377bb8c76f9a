// Decodes one raw LZMA1 stream (five property bytes, then data) into a
// buffer of known size with the LZMA SDK's one-call decoder (the installer's
// choice) and with liblzma's raw decoder, several rounds each, and prints
// megabytes of output per second for each.
//
//   lzma_decode_bench PACKED UNPACKED_SIZE ROUNDS

#include <lzma.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" {
#include "LzmaDec.h"
}

namespace {

void* allocate(void*, size_t size) {
    return std::malloc(size);
}
void release(void*, void* address) {
    std::free(address);
}

bool decodeSdk(const std::vector<unsigned char>& packed, std::vector<unsigned char>& out) {
    SizeT produced = out.size();
    SizeT consumed = packed.size() - LZMA_PROPS_SIZE;
    ELzmaStatus status;
    ISzAlloc heap = {allocate, release};
    return LzmaDecode(out.data(), &produced, packed.data() + LZMA_PROPS_SIZE, &consumed, packed.data(),
                      LZMA_PROPS_SIZE, LZMA_FINISH_END, &status, &heap) == SZ_OK &&
           produced == out.size() && consumed == packed.size() - LZMA_PROPS_SIZE;
}

bool decodeLiblzma(const std::vector<unsigned char>& packed, std::vector<unsigned char>& out) {
    lzma_options_lzma options = {};
    const unsigned properties = packed[0];
    options.lc = properties % 9;
    options.lp = (properties / 9) % 5;
    options.pb = properties / 45;
    options.dict_size = packed[1] | (packed[2] << 8) | (packed[3] << 16) | (unsigned(packed[4]) << 24);
    const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    size_t in = LZMA_PROPS_SIZE;
    size_t produced = 0;
    const lzma_ret result = lzma_raw_buffer_decode(filters, nullptr, packed.data(), &in, packed.size(),
                                                   out.data(), &produced, out.size());
    return (result == LZMA_OK || result == LZMA_STREAM_END) && produced == out.size();
}

template <typename Decode>
void measure(const char* name, Decode decode, const std::vector<unsigned char>& packed, std::size_t size,
             int rounds) {
    std::vector<unsigned char> out(size);
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        if (!decode(packed, out)) {
            std::printf("%-10s FAILED\n", name);
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    std::printf("%-10s %8.1f MB/s  (best of %d: %.3f s)\n", name, size / best / 1e6, rounds, best);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: lzma_decode_bench PACKED UNPACKED_SIZE ROUNDS\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<unsigned char> packed{std::istreambuf_iterator<char>(file),
                                            std::istreambuf_iterator<char>()};
    const std::size_t size = std::strtoull(argv[2], nullptr, 10);
    const int rounds = std::atoi(argv[3]);
    if (packed.size() < LZMA_PROPS_SIZE) return 1;
    measure("lzma-sdk", decodeSdk, packed, size, rounds);
    measure("liblzma", decodeLiblzma, packed, size, rounds);
    return 0;
}
