// Raw LZMA as a package or an icon list carries it, unpacked into a buffer
// of exactly the size the surrounding header announces.
//
//   size u24 LE (at most kLargestOutput) | properties (5) | LZMA data
#include <cstdint>
#include <vector>

#include "installer/codec/LzmaUnpack.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace tarnwick;

namespace {

// Larger outputs only cost time per input; the decoder's bounds are the
// same for every size.
constexpr std::uint32_t kLargestOutput = 1u << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    fuzz::InputReader input(data, size);
    std::uint32_t length = input.byte();
    length |= std::uint32_t{input.byte()} << 8;
    length |= std::uint32_t{input.byte()} << 16;
    length %= kLargestOutput + 1;
    const std::string source = input.rest();
    // Exactly the announced size, so that any write past it is caught.
    std::vector<std::uint8_t> destination(length);
    (void)unpackLzma(reinterpret_cast<const std::uint8_t*>(source.data()), source.size(), destination.data(),
                     destination.size());
    return 0;
}
