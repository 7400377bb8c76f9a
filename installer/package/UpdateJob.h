#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "installer/core/Log.h"
#include "installer/core/ProgressSink.h"
#include "installer/net/Connection.h"
#include "installer/package/PackageSignature.h"
#include "installer/platform/LargeBlock.h"

namespace tarnwick {

class LzmaStreamDecoder;

// The download, unpacking and installing of one update package, for one
// update run on its worker thread. Every failure is thrown as an integer
// code (installer/core/Failure.h); the job is destroyed on every path.
//
// Order of use: setProgressSink, download, install, unpackedSize.
class UpdateJob {
public:
    static constexpr std::uint64_t kRequiredFreeBytes = 5242880;
    static constexpr const char* kRecordFileName = "TarnwickArchive";
    static constexpr const char* kClientProgramName = "Tarnwick.exe";
    // Room for a launch path and its terminator, as the registration needs.
    static constexpr std::uint32_t kLaunchPathCapacity = 260;

    UpdateJob();
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;
    virtual ~UpdateJob();

    // The sink is not owned; null reports nothing.
    void setProgressSink(ProgressSink* sink) { sink_ = sink; }
    // Told where the download starts and what it and the install did; not
    // owned, null logs nothing.
    void setLog(Log* log) { log_ = log; }
    // How long the web server or a proxy may keep the download waiting for
    // its next byte, and the server for its response head.
    void setIdleTimeout(std::uint32_t milliseconds) { idleTimeout_ = milliseconds; }
    // False leaves all decoding until the body is whole, as a baseline for
    // benchmarks; the result is the same either way.
    void setDecodeWhileDownloading(bool overlap) { decodeWhileDownloading_ = overlap; }
    // The key whose signature every package must carry; the one the
    // installer was built with unless set. None installs packages unchecked.
    void setPublisherKey(std::optional<PublisherKey> key) { publisherKey_ = key; }

    // Fetches the package that url names, resuming from the download record
    // when one for packageVersion exists; a record that holds the whole body
    // and unpacks (with its signature, when a publisher key is set) is used
    // without a request. The whole body ends up in
    // memory, and in the record until install has succeeded. Shows
    // "Download Not Completed" when it fails knowing no package header. With
    // a publisher key, a whole body without its valid signature is never
    // kept: "Update Not Verified", the record is deleted, kQuietFailure.
    void download(const char* url, std::uint32_t packageVersion);

    // Takes a whole resource (header and body) that is already in memory, as
    // a complete download leaves it; for tools and tests. Throws
    // kGeneralFailure for a header that download would refuse, and fails as
    // download does for a package without its publisher's signature.
    void takeResource(const std::uint8_t* resource, std::uint32_t length, std::uint32_t packageVersion);

    // Unpacks the package and writes its files and folders into the install
    // folder, then puts the flagged client program in place as Tarnwick.exe.
    // Before anything on disk changes, the whole package is read (a damaged
    // one throws kGeneralFailure and its record goes), the install folder's
    // volume must hold the unpacked size and kRequiredFreeBytes besides
    // ("Out of Disk Space", kConnectionFailure), and no file that the package
    // replaces or removes may be held by another program ("Tarnwick Is
    // Running", kQuietFailure). A write that fails after that is not undone.
    // When the client cannot be put in place, shows "Unable to launch" and
    // throws kQuietFailure with no launch path. The download record goes once
    // the install has succeeded.
    void install();

    std::uint32_t unpackedSize() const { return unpackedSize_; }
    // The installed client program; empty until install finishes, and when
    // the package flagged no program.
    const char* launchPath() const { return launchPath_; }
    // The two words that lead the unpacked package; kept, not interpreted.
    std::uint32_t leadingWord(int index) const { return leadingWords_[index & 1]; }

    // Where install writes and where the record lives. By default the
    // application-data folder's Tarnwick\Tarnwick\ and the preferences
    // folder; tests and tools name folders of their own (with a trailing
    // separator).
    void setInstallFolder(const char* folder) { installFolderOverride_ = folder; }
    void setRecordFolder(const char* folder) { recordFolderOverride_ = folder; }

    // True when freeBytes hold the files to come and kRequiredFreeBytes
    // besides, counted on all 64 bits.
    static bool hasRoomForUpdate(std::uint64_t freeBytes, std::uint32_t filesToCome) {
        return freeBytes >= kRequiredFreeBytes + filesToCome;
    }

private:
    struct PendingFolderTimes {
        std::string path;
        std::int32_t modificationTime;
        std::int32_t creationTime;
    };

    // What a package's install will act on, found by reading all of it.
    struct InstallPlan {
        // Existing files there are replaced, the client's new name included.
        std::vector<std::string> replacedFiles;
        // Removed with everything inside: removals and folder resets.
        std::vector<std::string> removedTrees;
        // The flagged client program; empty when none is flagged.
        std::string programPath;
    };

    void reportStatus(const char* text);
    void reportProgress(std::uint32_t done, std::uint32_t total);
    // Shows "Out of Disk Space" and throws kConnectionFailure when the volume
    // that holds folder (or would hold it, once made) lacks the room that
    // hasRoomForUpdate asks for.
    void checkFreeSpace(const std::string& folder, std::uint32_t filesToCome);

    void ensurePackedCapacity(std::uint32_t count);
    void ensureUnpackedCapacity(std::uint32_t count);
    // Takes the 16 header bytes; throws kGeneralFailure when format or
    // version do not match, or a size is 0, after storing what it read.
    void takeHeader(const std::uint8_t* header);
    // True when no publisher key is set, or the whole body in memory carries
    // the key's valid signature.
    bool bodyVerified() const;
    // Shows "Update Not Verified", deletes the record and throws
    // kQuietFailure unless bodyVerified(): tampered bytes are never kept,
    // resumed or unpacked.
    void verifyBody();

    std::string recordFolder() const;
    std::string recordPath() const;
    // Loads a record of this package version; returns the body bytes held.
    // An unusable record leaves the header fields 0 and the file alone.
    std::uint32_t loadRecord();
    // Failures are ignored: a record is a convenience.
    void saveRecord(std::uint32_t held);
    void deleteRecord();
    // True when a whole body taken from the record unpacks; otherwise the
    // record and the header it gave are dropped.
    bool keepWholeRecordedBody();
    void fetch(const char* url, std::uint32_t packageVersion);

    // The packed body is decoded while it arrives, so that little decoding
    // is left once its last byte is in. Starts the decoder for a compressed
    // body, once both blocks are there.
    void startDecoding();
    // Decodes the packed bytes among the first held body bytes that it has
    // not yet taken; a stream found damaged throws kGeneralFailure, and its
    // record goes (with a publisher key, decoding stops and the body's
    // signature decides once it is whole).
    void decodeReceived(std::uint32_t held);
    // Finishes decoding, or decodes the whole body when nothing was decoded
    // while it arrived; throws kGeneralFailure unless the body unpacks.
    void unpack();
    const std::uint8_t* unpackedBytes() const;
    // The install folder, ending with the separator; nothing is made yet.
    std::string installFolder() const;
    // Reads every entry as the install will, acting on none. Throws
    // kGeneralFailure for whatever the install would refuse on its way.
    InstallPlan planInstall(const std::string& folder) const;
    // The first existing file that the plan replaces or removes and that
    // another program holds; empty when there is none.
    static std::string findFileInUse(const InstallPlan& plan);
    // Returns the number of files written and their bytes.
    std::pair<std::uint32_t, std::uint64_t> installEntries(const std::string& folder);
    void applyPendingFolderTimes();
    void finish(const std::string& programPath);
    void setLaunchPath(const std::string& path);

    ProgressSink* sink_ = nullptr;
    Log* log_ = nullptr;
    std::uint32_t idleTimeout_ = kDefaultIdleTimeout;
    bool decodeWhileDownloading_ = true;
    std::optional<PublisherKey> publisherKey_ = builtInPublisherKey();
    std::uint32_t flags_ = 0;
    std::uint32_t packageVersion_ = 0;
    std::uint32_t unpackedSize_ = 0;
    std::uint32_t packedSize_ = 0;
    std::uint32_t trailerSize_ = 0;
    bool compressed_ = false;
    platform::LargeBlock packed_;
    std::uint32_t packedCapacity_ = 0;
    platform::LargeBlock unpacked_;
    std::uint32_t unpackedCapacity_ = 0;
    // Decodes into unpacked_: goes whenever that block does.
    std::unique_ptr<LzmaStreamDecoder> decoder_;
    std::vector<PendingFolderTimes> pendingFolderTimes_;
    std::uint32_t leadingWords_[2] = {0, 0};
    char launchPath_[kLaunchPathCapacity] = {};
    std::string installFolderOverride_;
    std::string recordFolderOverride_;
};

}  // namespace tarnwick
