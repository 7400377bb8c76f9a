#include <algorithm>
#include <cstring>

#include "installer/core/Failure.h"
#include "installer/core/MemoryStream.h"
#include "installer/core/UserNotice.h"
#include "installer/net/ProtocolText.h"
#include "installer/package/EntryName.h"
#include "installer/package/UpdateJob.h"
#include "installer/platform/FileSystem.h"
#include "installer/platform/Folders.h"

namespace tarnwick {

// The unpacked package: two leading words, then entries up to an end entry.
// All integers big-endian.
//
//   entry: kind u8 | flags u8 | name, NUL-terminated, backslash-separated
//          kind 1 (file):   mtime s32 | ctime s32 | size u32 | size bytes
//          kind 2 (folder): mtime s32 | ctime s32
//          kind 3 (removal), other kinds: nothing more
//          kind 0: end of the package; nothing follows in the entry
//   times: seconds since 1970-01-01 UTC

namespace {

constexpr std::uint8_t kEntryEnd = 0;
constexpr std::uint8_t kEntryFile = 1;
constexpr std::uint8_t kEntryFolder = 2;
constexpr std::uint8_t kEntryRemoval = 3;

constexpr std::uint8_t kFlagClientProgram = 0x01;
constexpr std::uint8_t kFlagResetFolder = 0x08;

constexpr std::uint32_t kFullPathCapacity = 3072;
constexpr std::uint32_t kFolderPathCapacity = 1024;

void appendText(char* buffer, std::uint32_t capacity, const char* text) {
    const std::size_t used = std::strlen(buffer);
    const std::size_t length = std::strlen(text);
    if (used + length >= capacity) throw kGeneralFailure;
    std::memcpy(buffer + used, text, length + 1);
}

}  // namespace

void UpdateJob::buildInstallFolder(char* buffer, std::uint32_t capacity) const {
    buffer[0] = 0;
    if (!installFolderOverride_.empty()) {
        appendText(buffer, capacity, installFolderOverride_.c_str());
        return;
    }
    // Tarnwick\Tarnwick\ under the user's application data, each level made
    // in turn; without that folder, beside the installer itself.
    std::string folder = platform::userDataFolder();
    if (folder.empty()) {
        folder = platform::programFolder();
    } else {
        for (int level = 0; level < 2; ++level) {
            folder += "Tarnwick";
            platform::createFolder(folder);
            folder += platform::kPathSeparator;
        }
    }
    appendText(buffer, capacity, folder.c_str());
}

void UpdateJob::install() {
    checkDiskSpace();
    if (unpackedSize_ == 0 || packedSize_ == 0) throw kGeneralFailure;
    unpack();
    reportStatus("Installing update...");
    reportProgress(0, 0);
    installEntries();
}

void UpdateJob::installEntries() {
    MemoryStream package;
    package.attachBuffer(const_cast<std::uint8_t*>(unpackedBytes()), unpackedSize_);

    // Each name is read straight behind the install folder's text, so the
    // buffer then holds the entry's full path.
    char path[kFullPathCapacity];
    buildInstallFolder(path, sizeof path);
    char* const name = path + std::strlen(path);
    const std::uint32_t nameCapacity =
        std::min<std::uint32_t>(kEntryNameCapacity, kFullPathCapacity - (name - path));
    std::string programPath;

    leadingWords_[0] = package.readU32();
    leadingWords_[1] = package.readU32();
    pendingFolderTimes_.clear();

    for (;;) {
        const std::uint8_t kind = package.readU8();
        if (kind == kEntryEnd) break;
        const std::uint8_t flags = package.readU8();
        package.readCString(name, nameCapacity);
        // Refused before anything of the entry is done: a name that would
        // leave the install folder, or that Windows would read otherwise.
        if (entryNameProblem(name)) throw kGeneralFailure;
        platform::toNativeSeparators(name);

        if (kind == kEntryFile) {
            const auto modified = static_cast<std::int32_t>(package.readU32());
            const auto created = static_cast<std::int32_t>(package.readU32());
            const std::uint32_t size = package.readU32();
            if (size > package.size() - package.position()) throw kGeneralFailure;
            const std::uint8_t* content = package.cursor();
            package.seek(package.position() + size);
            // A short write or a failed close would leave a damaged file
            // behind that the run reported as installed.
            if (!platform::writeFileWithTimes(path, content, size, modified, created)) throw kGeneralFailure;
        } else if (kind == kEntryFolder) {
            const auto modified = static_cast<std::int32_t>(package.readU32());
            const auto created = static_cast<std::int32_t>(package.readU32());
            if (std::strlen(path) >= kFolderPathCapacity) throw kGeneralFailure;
            if (flags & kFlagResetFolder) (void)platform::removeTree(path);
            platform::createFolder(path);
            pendingFolderTimes_.push_back({path, modified, created});
        } else if (kind == kEntryRemoval) {
            (void)platform::removeTree(path);
        }
        if (flags & kFlagClientProgram) programPath = path;
    }
    // Writing into a folder changes its modification time, so folders get
    // theirs only once every file is in place, the client's move included,
    // innermost (latest) first.
    finish(programPath);
    applyPendingFolderTimes();
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
    const std::size_t cut = programPath.rfind(platform::kPathSeparator);
    const std::string target =
        (cut == std::string::npos ? std::string() : programPath.substr(0, cut + 1)) + kClientProgramName;
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
