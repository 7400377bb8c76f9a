#include <cstring>

#include "installer/core/Failure.h"
#include "installer/core/UserNotice.h"
#include "installer/net/ProtocolText.h"
#include "installer/package/PackageEntries.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/Clock.h"
#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"

namespace tarnwick {

namespace {

// Makes each missing level of folder, outermost first.
void makeFolderLevels(const std::string& folder) {
    for (std::size_t end = folder.find(platform::kPathSeparator, 1); end != std::string::npos;
         end = folder.find(platform::kPathSeparator, end + 1)) {
        const std::string level = folder.substr(0, end);
        if (!platform::folderExists(level)) platform::createFolder(level);
    }
}

// Where the flagged program is put in place: Tarnwick.exe beside it.
std::string clientTargetFor(const std::string& programPath) {
    const std::size_t cut = programPath.rfind(platform::kPathSeparator);
    return (cut == std::string::npos ? std::string() : programPath.substr(0, cut + 1)) +
           UpdateJob::kClientProgramName;
}

}  // namespace

std::string UpdateJob::installFolder() const {
    if (!installFolderOverride_.empty()) return installFolderOverride_;
    // Tarnwick\Tarnwick\ under the user's application data; without that
    // folder, beside the installer itself.
    const std::string data = platform::userDataFolder();
    if (data.empty()) return platform::programFolder();
    return data + "Tarnwick" + platform::kPathSeparator + "Tarnwick" + platform::kPathSeparator;
}

// A client left half old and half new may not start at all, so everything
// that can be known before the first change is checked first: the package
// read whole, the room on the install folder's volume, and the files that
// other programs hold.
void UpdateJob::install() {
    launchPath_[0] = 0;
    if (unpackedSize_ == 0 || packedSize_ == 0) throw kGeneralFailure;
    const std::string folder = installFolder();
    // Memory that cannot be had says nothing about the body.
    ensureUnpackedCapacity(unpackedSize_);
    InstallPlan plan;
    std::uint32_t started = platform::millisecondCounter();
    try {
        const bool wasCompressed = compressed_;
        unpack();
        if (log_ && wasCompressed)
            log_->write("unpacked %u bytes in %.3f s", unpackedSize_,
                        (platform::millisecondCounter() - started) / 1000.0);
        plan = planInstall(folder);
    } catch (FailureCode) {
        // Such a body will never install: without its record the next run
        // downloads the package afresh instead of failing on it again.
        if (log_) log_->write("the package is damaged; its download record is deleted");
        deleteRecord();
        throw;
    }
    checkFreeSpace(folder, unpackedSize_);
    if (const std::string busy = findFileInUse(plan); !busy.empty()) {
        if (log_) log_->write("another program holds %s", busy.c_str());
        alert("Tarnwick Is Running", "Close Tarnwick, then try again.");
        throw kQuietFailure;
    }

    reportStatus("Installing update...");
    reportProgress(0, 0);
    if (log_) log_->write("installing into %s", folder.c_str());
    started = platform::millisecondCounter();
    makeFolderLevels(folder);
    const auto [files, bytes] = installEntries(folder);
    // Writing into a folder changes its modification time, so folders get
    // theirs only once every file is in place, the client's move included,
    // innermost (latest) first.
    finish(plan.programPath);
    applyPendingFolderTimes();
    deleteRecord();
    if (log_)
        log_->write("installed %u files (%llu bytes) in %.3f s", files,
                    static_cast<unsigned long long>(bytes),
                    (platform::millisecondCounter() - started) / 1000.0);
    if (log_ && launchPath_[0] != 0) log_->write("the client program is %s", launchPath_);
}

UpdateJob::InstallPlan UpdateJob::planInstall(const std::string& folder) const {
    PackageEntryReader entries(unpackedBytes(), unpackedSize_, folder);
    InstallPlan plan;
    while (entries.next()) {
        const bool resetFolder = entries.kind() == kEntryFolder && (entries.flags() & kFlagResetFolder);
        if (entries.kind() == kEntryFile) plan.replacedFiles.emplace_back(entries.path());
        if (entries.kind() == kEntryRemoval || resetFolder) plan.removedTrees.emplace_back(entries.path());
        if (entries.flags() & kFlagClientProgram) plan.programPath = entries.path();
    }
    if (!plan.programPath.empty()) {
        // The launch path names the client's new place; one the registration
        // could not hold whole would fail the install after every write.
        const std::string target = clientTargetFor(plan.programPath);
        if (target.size() >= kLaunchPathCapacity) throw kGeneralFailure;
        // The client is moved onto its new name, whatever kind flagged it.
        plan.replacedFiles.push_back(plan.programPath);
        plan.replacedFiles.push_back(target);
    }
    return plan;
}

std::string UpdateJob::findFileInUse(const InstallPlan& plan) {
    for (const std::string& path : plan.replacedFiles) {
        if (platform::fileIsInUse(path.c_str())) return path;
    }
    for (const std::string& path : plan.removedTrees) {
        if (std::string busy = platform::firstFileInUseIn(path.c_str()); !busy.empty()) return busy;
    }
    return {};
}

// Only what no check can foresee fails here, a write for instance; it ends
// the install with what was written so far.
std::pair<std::uint32_t, std::uint64_t> UpdateJob::installEntries(const std::string& folder) {
    PackageEntryReader entries(unpackedBytes(), unpackedSize_, folder);
    std::uint32_t files = 0;
    std::uint64_t bytes = 0;
    leadingWords_[0] = entries.leadingWord(0);
    leadingWords_[1] = entries.leadingWord(1);
    pendingFolderTimes_.clear();

    while (entries.next()) {
        const char* path = entries.path();
        if (entries.kind() == kEntryFile) {
            // A short write or a failed close would leave a damaged file
            // behind that the run reported as installed.
            if (!platform::writeFileWithTimes(path, entries.content(), entries.contentSize(),
                                              entries.modificationTime(), entries.creationTime())) {
                if (log_) log_->write("could not write %s", path);
                throw kGeneralFailure;
            }
            ++files;
            bytes += entries.contentSize();
        } else if (entries.kind() == kEntryFolder) {
            if (entries.flags() & kFlagResetFolder) (void)platform::removeTree(path);
            platform::createFolder(path);
            pendingFolderTimes_.push_back({path, entries.modificationTime(), entries.creationTime()});
        } else if (entries.kind() == kEntryRemoval) {
            (void)platform::removeTree(path);
        }
    }
    return {files, bytes};
}

void UpdateJob::applyPendingFolderTimes() {
    for (auto it = pendingFolderTimes_.rbegin(); it != pendingFolderTimes_.rend(); ++it)
        platform::setFileTimes(it->path.c_str(), it->modificationTime, it->creationTime);
    pendingFolderTimes_.clear();
}

// Puts the flagged program in place as Tarnwick.exe beside it. The old
// client stays until the new one replaces it in one step: when that fails,
// the old one is still there, nothing is registered or started, and the
// user is told.
void UpdateJob::finish(const std::string& programPath) {
    // Without a flagged program there is nothing to move or to start later.
    if (programPath.empty()) return;
    const std::string target = clientTargetFor(programPath);
    // A program that already carries the name must not be deleted as the old
    // copy it would replace.
    if (sameIgnoringCase(target, programPath)) {
        platform::makeStartable(programPath.c_str());
        setLaunchPath(programPath);
        return;
    }
    if (!platform::replaceFile(programPath.c_str(), target.c_str())) {
        alert("Unable to launch", "The updated Tarnwick could not be launched because an error occurred");
        throw kQuietFailure;
    }
    platform::makeStartable(target.c_str());
    setLaunchPath(target);
}

void UpdateJob::setLaunchPath(const std::string& path) {
    // A path the registration could not hold whole is refused, not cut.
    if (path.size() >= kLaunchPathCapacity) throw kGeneralFailure;
    std::memcpy(launchPath_, path.c_str(), path.size() + 1);
}

}  // namespace tarnwick
