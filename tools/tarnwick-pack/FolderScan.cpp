#include "tools/tarnwick-pack/FolderScan.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tarnwick::pack {

namespace fs = std::filesystem;

namespace {

// Modification and birth time; file systems without a birth time give the
// modification time for both.
void readTimes(const fs::path& path, Entry& entry) {
    struct statx status;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_MTIME | STATX_BTIME, &status) != 0)
        throw std::runtime_error("cannot read the times of " + path.string());
    entry.modificationTime = static_cast<std::int32_t>(status.stx_mtime.tv_sec);
    entry.creationTime = (status.stx_mask & STATX_BTIME) ? static_cast<std::int32_t>(status.stx_btime.tv_sec)
                                                         : entry.modificationTime;
}

std::vector<std::uint8_t> readContent(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string packageName(const fs::path& relative) {
    std::string name = relative.generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

void scanInto(const fs::path& root, const fs::path& folder, const ScanOptions& options,
              std::vector<Entry>& entries) {
    std::vector<fs::directory_entry> children{fs::directory_iterator(folder), fs::directory_iterator()};
    std::sort(children.begin(), children.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& child : children) {
        Entry entry;
        entry.name = packageName(fs::relative(child.path(), root));
        readTimes(child.path(), entry);
        if (child.is_directory()) {
            entry.kind = kEntryFolder;
            if (options.resetFolders.count(entry.name)) entry.flags |= kFlagResetFolder;
            entries.push_back(std::move(entry));
            scanInto(root, child.path(), options, entries);
        } else if (child.is_regular_file()) {
            entry.kind = kEntryFile;
            entry.content = readContent(child.path());
            if (entry.name == options.clientProgram) entry.flags |= kFlagClientProgram;
            entries.push_back(std::move(entry));
        }
    }
}

}  // namespace

std::vector<Entry> scanFolder(const std::string& root, const ScanOptions& options) {
    std::vector<Entry> entries;
    for (const auto& name : options.removals) {
        Entry removal;
        removal.kind = kEntryRemoval;
        removal.name = name;
        entries.push_back(std::move(removal));
    }
    scanInto(fs::path(root), fs::path(root), options, entries);
    return entries;
}

}  // namespace tarnwick::pack
