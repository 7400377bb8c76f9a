#include "installer/package/PackageEntries.h"

#include <algorithm>
#include <cstring>

#include "installer/core/Failure.h"
#include "installer/package/EntryName.h"
#include "installer/platform/FileSystem.h"

namespace tarnwick {

PackageEntryReader::PackageEntryReader(const std::uint8_t* bytes, std::uint32_t size,
                                       const std::string& installFolder) {
    if (installFolder.size() >= kFullPathCapacity) throw kGeneralFailure;
    std::memcpy(path_, installFolder.c_str(), installFolder.size() + 1);
    name_ = path_ + installFolder.size();
    nameCapacity_ = std::min<std::uint32_t>(
        kEntryNameCapacity, kFullPathCapacity - static_cast<std::uint32_t>(installFolder.size()));

    // The stream only reads; it takes a writable pointer for streams that
    // write as well.
    package_.attachBuffer(const_cast<std::uint8_t*>(bytes), size);
    leadingWords_[0] = package_.readU32();
    leadingWords_[1] = package_.readU32();
}

bool PackageEntryReader::next() {
    kind_ = package_.readU8();
    if (kind_ == kEntryEnd) return false;
    flags_ = package_.readU8();
    package_.readCString(name_, nameCapacity_);
    // Refused before anything of the entry is done: a name that would leave
    // the install folder, or that Windows would read otherwise.
    if (entryNameProblem(name_)) throw kGeneralFailure;
    // On Windows an older package's name may grow as it becomes UTF-8: it may
    // take the rest of the buffer, and the path checks below still apply.
    if (!platform::toNativeEntryName(name_, sizeof path_ - static_cast<std::size_t>(name_ - path_)))
        throw kGeneralFailure;

    content_ = nullptr;
    contentSize_ = 0;
    modificationTime_ = creationTime_ = 0;
    if (kind_ == kEntryFile || kind_ == kEntryFolder) {
        modificationTime_ = static_cast<std::int32_t>(package_.readU32());
        creationTime_ = static_cast<std::int32_t>(package_.readU32());
    }
    if (kind_ == kEntryFile) {
        contentSize_ = package_.readU32();
        if (contentSize_ > package_.size() - package_.position()) throw kGeneralFailure;
        content_ = package_.cursor();
        package_.seek(package_.position() + contentSize_);
    } else if (kind_ == kEntryFolder) {
        // A folder's path is kept until its times are set, and the list that
        // keeps it holds paths below kFolderPathCapacity: a longer one is
        // refused, not cut.
        if (std::strlen(path_) >= kFolderPathCapacity) throw kGeneralFailure;
    }
    return true;
}

}  // namespace tarnwick
