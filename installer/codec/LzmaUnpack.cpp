#include "installer/codec/LzmaUnpack.h"

#include "installer/codec/LzmaStream.h"

namespace tarnwick {

bool unpackLzma(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* destination,
                std::size_t destinationLength) {
    LzmaStreamDecoder decoder(destination, destinationLength);
    return decoder.finish(source, sourceLength);
}

}  // namespace tarnwick
