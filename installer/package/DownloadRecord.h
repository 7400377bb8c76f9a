#pragma once

#include <cstdint>

#include "installer/core/ByteStream.h"

namespace tarnwick {

// The header of a download record, and how many body bytes the record holds
// behind it (the file's length tells that; there is no count field).
struct DownloadRecordHeader {
    std::uint8_t flags = 0;
    std::uint32_t unpackedSize = 0;
    std::uint32_t packedSize = 0;
    std::uint32_t trailerSize = 0;
    // At most packedSize + trailerSize, which fits 32 bits; equal to it when
    // the record holds the whole body.
    std::uint32_t held = 0;
};

// Reads the header of a download record for packageVersion from the start of
// record, leaving the stream at the first held body byte. Throws
// kGeneralFailure for a record of another format or version, a size of 0, a
// body total beyond 32 bits, or a record that holds more than the body; the
// stream's own failures pass through.
DownloadRecordHeader readDownloadRecordHeader(ByteStream& record, std::uint32_t packageVersion);

}  // namespace tarnwick
