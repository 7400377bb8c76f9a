#include "installer/codec/LzmaUnpack.h"

#include <cstdlib>

extern "C" {
#include "LzmaDec.h"
}

namespace tarnwick {

namespace {

constexpr std::size_t kPropertiesLength = LZMA_PROPS_SIZE;
// lc + 9 * (lp + 5 * pb) with lc < 9, lp < 5, pb < 5.
constexpr std::uint8_t kFirstInvalidProperties = 9 * 5 * 5;

void* allocate(void*, std::size_t size) {
    return std::malloc(size);
}
void release(void*, void* address) {
    std::free(address);
}

}  // namespace

bool unpackLzma(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* destination,
                std::size_t destinationLength) {
    if (sourceLength < kPropertiesLength || source[0] >= kFirstInvalidProperties) return false;

    // The whole output is one buffer, so the decoder needs no dictionary of
    // its own: it allocates only its probability table. Finishing at the end
    // lets it consume an end marker that follows the last byte, as encoders
    // that do not know the size write one.
    SizeT produced = destinationLength;
    SizeT consumed = sourceLength - kPropertiesLength;
    ELzmaStatus status;
    ISzAlloc heap = {allocate, release};
    const SRes result = LzmaDecode(destination, &produced, source + kPropertiesLength, &consumed, source,
                                   kPropertiesLength, LZMA_FINISH_END, &status, &heap);
    if (result != SZ_OK) return false;
    return consumed == sourceLength - kPropertiesLength && produced == destinationLength;
}

}  // namespace tarnwick
