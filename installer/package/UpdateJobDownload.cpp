#include <new>

#include "installer/core/Failure.h"
#include "installer/core/UserNotice.h"
#include "installer/net/HttpClient.h"
#include "installer/net/ProxySettings.h"
#include "installer/package/PackageHeader.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Clock.h"

namespace tarnwick {

std::string UpdateJob::recordFolder() const {
    return recordFolderOverride_.empty() ? preferencesFolder() : recordFolderOverride_;
}

std::string UpdateJob::recordPath() const {
    return recordFolder() + kRecordFileName;
}

void UpdateJob::download(const char* url, std::uint32_t packageVersion) {
    FailureCode code = kConnectionFailure;
    try {
        fetch(url, packageVersion);
        return;
    } catch (FailureCode thrown) {
        code = thrown;
    } catch (...) {
        // Exhausted memory and the like carry no code of their own.
    }
    // Once a package header is known the user is not told twice: the run's
    // own retry dialog follows. A cancelled or already reported failure is
    // never alerted again.
    if (code != kQuietFailure && packedSize_ == 0)
        alert("Download Not Completed", "The download could not be completed");
    throw code;
}

// A body left whole by an earlier run, whose install did not succeed, is
// used as it stands when it carries the publisher's signature and unpacks.
// One that does not was damaged or altered on disk, or signed for another
// key; it goes, and the package is downloaded afresh.
bool UpdateJob::keepWholeRecordedBody() {
    // Memory that cannot be had says nothing about the body.
    ensureUnpackedCapacity(unpackedSize_);
    if (bodyVerified()) {
        try {
            unpack();
            return true;
        } catch (FailureCode) {
        }
    }
    deleteRecord();
    flags_ = 0;
    unpackedSize_ = packedSize_ = trailerSize_ = 0;
    compressed_ = false;
    return false;
}

void UpdateJob::fetch(const char* url, std::uint32_t packageVersion) {
    packedSize_ = 0;
    packageVersion_ = packageVersion;
    // The record is what the download writes to disk.
    checkFreeSpace(recordFolder(), 0);
    std::uint32_t held = loadRecord();
    if (packedSize_ != 0 && held == packedSize_ + trailerSize_) {
        if (keepWholeRecordedBody()) {
            if (log_) log_->write("using the whole package kept from an earlier run (%u bytes)", held);
            return;
        }
        if (log_) log_->write("the package kept from an earlier run is damaged; downloading it afresh");
        held = 0;
    }

    HttpClient client;
    client.setIdleTimeout(idleTimeout_);
    client.setUrl(url);
    // Ask only for the bytes not yet held.
    if (packedSize_ != 0) client.setResumeOffset(held + kPackageHeaderLength);
    if (log_) {
        if (packedSize_ != 0)
            log_->write("downloading %s, resuming from byte %u", url, held + kPackageHeaderLength);
        else
            log_->write("downloading %s", url);
    }
    const std::uint32_t started = platform::millisecondCounter();
    reportStatus("Downloading new update...");
    if (const std::int32_t refused = client.request(true); refused != 0) {
        if (log_) log_->write("the download was refused: code %d", refused);
        throw kGeneralFailure;
    }

    // A server that sends the resource from its start, whether or not it was
    // asked for a range, hands over a header that replaces the record's.
    if (client.position() == 0) {
        std::uint8_t header[kPackageHeaderLength];
        client.setBuffer(header, sizeof header);
        if (client.readFully(sizeof header) != static_cast<std::int32_t>(sizeof header))
            throw kGeneralFailure;
        takeHeader(header);
        if (log_ && held != 0) log_->write("the server sent the package from its start");
        held = 0;
    }

    const std::uint32_t total = packedSize_ + trailerSize_;
    ensurePackedCapacity(total);
    ensureUnpackedCapacity(unpackedSize_);
    if (decodeWhileDownloading_) startDecoding();

    // The body is received in place and decoded behind it, the held bytes of
    // a resumed download first. The loop stops at total: a server that sends
    // more than the header announced has its surplus ignored.
    std::int32_t result = kConnectionFailure;
    std::uint32_t received = 0;
    while (held < total) {
        decodeReceived(held);
        client.setBuffer(packed_.get() + held, total - held);
        reportProgress(held, total);
        result = client.readIntoBuffer();
        if (result <= 0) break;
        held += static_cast<std::uint32_t>(result);
        received += static_cast<std::uint32_t>(result);
    }
    const double seconds = (platform::millisecondCounter() - started) / 1000.0;
    if (log_) log_->write("received %u bytes in %.3f s; %u of %u bytes held", received, seconds, held, total);
    if (held == total) {
        verifyBody();
        // Kept whole until the install has succeeded, so that an install
        // that could not start yet needs no second download.
        saveRecord(held);
        reportProgress(held, total);
        return;
    }
    saveRecord(held);
    throw result < 0 ? result : kConnectionFailure;
}

}  // namespace tarnwick
