#include "installer/core/FileStream.h"
#include "installer/package/DownloadRecord.h"
#include "installer/package/PackageHeader.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/FileSystem.h"

namespace tarnwick {

// The download record holds the package header and the body bytes received
// so far, all of them once the body is whole and until it is installed;
// there is no count field, the file's length tells it:
//
//   0                16                           file length
//   +----------------+----------------------------+
//   | package header | first held bytes of body   |
//   +----------------+----------------------------+

DownloadRecordHeader readDownloadRecordHeader(ByteStream& record, std::uint32_t packageVersion) {
    DownloadRecordHeader header;
    if (record.readU8() != kPackageFormat) throw kGeneralFailure;
    header.flags = record.readU8();
    if (record.readU16() != packageVersion) throw kGeneralFailure;
    header.unpackedSize = record.readU32();
    header.packedSize = record.readU32();
    header.trailerSize = record.readU32();
    if (header.unpackedSize == 0 || header.packedSize == 0 ||
        header.trailerSize > UINT32_MAX - header.packedSize)
        throw kGeneralFailure;
    header.held = record.size() - kPackageHeaderLength;
    // A damaged record longer than the body it claims to hold would not fit
    // the body buffer: it counts as unreadable, and the download starts over.
    if (header.held > header.packedSize + header.trailerSize) throw kGeneralFailure;
    return header;
}

std::uint32_t UpdateJob::loadRecord() {
    try {
        FileStream record(recordPath().c_str(), "rb");
        const DownloadRecordHeader header = readDownloadRecordHeader(record, packageVersion_);
        flags_ = header.flags;
        unpackedSize_ = header.unpackedSize;
        packedSize_ = header.packedSize;
        trailerSize_ = header.trailerSize;
        ensurePackedCapacity(packedSize_ + trailerSize_);
        record.readBytes(packed_.get(), header.held);
        compressed_ = unpackedSize_ != packedSize_;
        return header.held;
    } catch (...) {
        flags_ = 0;
        unpackedSize_ = packedSize_ = trailerSize_ = 0;
        return 0;
    }
}

void UpdateJob::saveRecord(std::uint32_t held) {
    try {
        FileStream record(recordPath().c_str(), "wb");
        record.writeU8(kPackageFormat);
        record.writeU8(flags_);
        record.writeU16(packageVersion_);
        record.writeU32(unpackedSize_);
        record.writeU32(packedSize_);
        record.writeU32(trailerSize_);
        record.writeBytes(packed_.get(), held);
    } catch (...) {
        // The next attempt simply starts from the beginning.
    }
}

void UpdateJob::deleteRecord() {
    (void)platform::deleteFile(recordPath().c_str());
}

}  // namespace tarnwick
