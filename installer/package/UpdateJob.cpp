#include "installer/package/UpdateJob.h"

#include <algorithm>

#include "installer/codec/LzmaStream.h"
#include "installer/core/ByteOrder.h"
#include "installer/core/Failure.h"
#include "installer/core/Log.h"
#include "installer/core/UserNotice.h"
#include "installer/package/PackageHeader.h"
#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"

namespace tarnwick {

namespace {

// Grows a block by the job's one rule: too small means free, then allocate
// exactly count bytes; the old contents are not kept.
void ensureCapacity(platform::LargeBlock& block, std::uint32_t& capacity, std::uint32_t count) {
    if (capacity >= count) return;
    block.reset();
    capacity = 0;
    block = platform::allocateLargeBlock(count);
    if (!block) throw kGeneralFailure;
    capacity = count;
}

}  // namespace

UpdateJob::UpdateJob() = default;
UpdateJob::~UpdateJob() = default;

void UpdateJob::reportStatus(const char* text) {
    if (sink_) sink_->setStatusText(text);
}

void UpdateJob::reportProgress(std::uint32_t done, std::uint32_t total) {
    if (sink_) sink_->setProgress(done, total);
}

void UpdateJob::checkFreeSpace(const std::string& folder, std::uint32_t filesToCome) {
    // A folder still to be made lies on the volume of its nearest existing
    // ancestor, which is the one to ask.
    std::string existing = folder;
    while (!existing.empty() && !platform::folderExists(existing)) {
        if (existing.back() == platform::kPathSeparator) existing.pop_back();
        const std::size_t cut = existing.rfind(platform::kPathSeparator);
        existing.erase(cut == std::string::npos ? 0 : cut + 1);
    }
    if (hasRoomForUpdate(platform::freeBytesForCaller(existing.c_str()), filesToCome)) return;
    alert("Out of Disk Space", "Not enough free disk space. Delete some files, then try again");
    throw kConnectionFailure;
}

void UpdateJob::ensurePackedCapacity(std::uint32_t count) {
    ensureCapacity(packed_, packedCapacity_, count);
}

void UpdateJob::ensureUnpackedCapacity(std::uint32_t count) {
    if (unpackedCapacity_ < count) decoder_.reset();
    ensureCapacity(unpacked_, unpackedCapacity_, count);
}

void UpdateJob::takeHeader(const std::uint8_t* header) {
    // The version field is 16 bits wide and compared with the whole offered
    // version, so an offer above 65,535 never matches.
    if (header[0] != kPackageFormat || loadBigEndian16(header + 2) != packageVersion_) throw kGeneralFailure;
    flags_ = header[1];
    unpackedSize_ = loadBigEndian32(header + 4);
    packedSize_ = loadBigEndian32(header + 8);
    trailerSize_ = loadBigEndian32(header + 12);
    if (unpackedSize_ == 0 || packedSize_ == 0) throw kGeneralFailure;
    // Both sizes share one 32-bit total; a header whose total wraps around
    // would make the body buffer smaller than the body.
    if (trailerSize_ > UINT32_MAX - packedSize_) throw kGeneralFailure;
    compressed_ = unpackedSize_ != packedSize_;
}

bool UpdateJob::bodyVerified() const {
    if (!publisherKey_) return true;
    // The header as the server sent it: its format and version were checked
    // to be these when it was taken, from the response or from the record.
    std::uint8_t header[kPackageHeaderLength];
    header[0] = kPackageFormat;
    header[1] = static_cast<std::uint8_t>(flags_);
    storeBigEndian16(header + 2, static_cast<std::uint16_t>(packageVersion_));
    storeBigEndian32(header + 4, unpackedSize_);
    storeBigEndian32(header + 8, packedSize_);
    storeBigEndian32(header + 12, trailerSize_);
    return packageSignatureValid(*publisherKey_, header, packed_.get(), packedSize_ + trailerSize_);
}

void UpdateJob::verifyBody() {
    if (bodyVerified()) return;
    deleteRecord();
    alert("Update Not Verified", "The downloaded update could not be verified and was not installed.");
    throw kQuietFailure;
}

void UpdateJob::takeResource(const std::uint8_t* resource, std::uint32_t length,
                             std::uint32_t packageVersion) {
    packageVersion_ = packageVersion;
    packedSize_ = 0;
    if (length < kPackageHeaderLength) throw kGeneralFailure;
    takeHeader(resource);
    const std::uint32_t total = packedSize_ + trailerSize_;
    if (length - kPackageHeaderLength != total) throw kGeneralFailure;
    ensurePackedCapacity(total);
    ensureUnpackedCapacity(unpackedSize_);
    std::copy(resource + kPackageHeaderLength, resource + length, packed_.get());
    verifyBody();
}

void UpdateJob::startDecoding() {
    decoder_.reset();
    // No key is ever supplied, so a scrambled package is never decoded.
    if (!compressed_ || (flags_ & kPackageScrambled)) return;
    decoder_ = std::make_unique<LzmaStreamDecoder>(unpacked_.get(), unpackedSize_);
}

void UpdateJob::decodeReceived(std::uint32_t held) {
    if (!decoder_ || decoder_->decodeReceived(packed_.get(), std::min(held, packedSize_))) return;
    decoder_.reset();
    // With a publisher key the signature speaks first: a body altered on its
    // way is reported as not verified once it is whole, and a signed one
    // that does not decode fails when it is unpacked.
    if (publisherKey_) return;
    // Bytes that cannot be decoded will not become decodable by resuming.
    if (log_) log_->write("the package is damaged (found while downloading); its download record is deleted");
    deleteRecord();
    throw kGeneralFailure;
}

void UpdateJob::unpack() {
    if (!compressed_) return;
    reportStatus("Decompressing update...");
    reportProgress(0, 0);
    if (flags_ & kPackageScrambled) throw kGeneralFailure;
    ensureUnpackedCapacity(unpackedSize_);
    if (!decoder_) startDecoding();
    const bool whole = decoder_->finish(packed_.get(), packedSize_);
    decoder_.reset();
    if (!whole) throw kGeneralFailure;
    compressed_ = false;
}

// A package whose two sizes are equal is stored as it is: its packed bytes
// are the unpacked package.
const std::uint8_t* UpdateJob::unpackedBytes() const {
    return unpackedSize_ == packedSize_ ? packed_.get() : unpacked_.get();
}

}  // namespace tarnwick
