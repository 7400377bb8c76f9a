#include "tools/tarnwick-pack/FolderScan.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "installer/package/EntryName.h"

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

// Refuses, naming the file, what the installer would refuse or read
// otherwise, before anything of it is read.
void checkName(const fs::path& path, const std::string& name) {
    // A backslash inside a name here would be a separator to the installer.
    if (path.filename().string().find('\\') != std::string::npos)
        throw std::runtime_error("cannot pack " + path.string() + ": the name holds a backslash");
    if (const char* problem = entryNameProblem(name))
        throw std::runtime_error("cannot pack " + path.string() + ": " + problem);
}

// prefix is the package name of folder, empty for the root, so that names
// are built from what the folder holds and never from where a link leads.
void scanInto(const fs::path& folder, const std::string& prefix, const ScanOptions& options,
              std::vector<Entry>& entries) {
    std::vector<fs::directory_entry> children{fs::directory_iterator(folder), fs::directory_iterator()};
    std::sort(children.begin(), children.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& child : children) {
        Entry entry;
        // Links are not followed: packing what one points at would copy
        // files from outside the folder without anyone asking for them.
        const fs::file_status status = child.symlink_status();
        if (fs::is_symlink(status))
            throw std::runtime_error("cannot pack " + child.path().string() + ": it is a symbolic link");
        const std::string name = prefix.empty() ? child.path().filename().string()
                                                : prefix + '\\' + child.path().filename().string();
        checkName(child.path(), name);
        entry.name = name;
        if (fs::is_directory(status)) {
            readTimes(child.path(), entry);
            entry.kind = kEntryFolder;
            if (options.resetFolders.count(entry.name)) entry.flags |= kFlagResetFolder;
            entries.push_back(std::move(entry));
            scanInto(child.path(), name, options, entries);
        } else if (fs::is_regular_file(status)) {
            if (child.file_size() > UINT32_MAX)
                throw std::runtime_error("cannot pack " + child.path().string() + ": it is 4 GiB or larger");
            readTimes(child.path(), entry);
            entry.kind = kEntryFile;
            entry.content = readContent(child.path());
            if (entry.name == options.clientProgram) entry.flags |= kFlagClientProgram;
            entries.push_back(std::move(entry));
        } else {
            throw std::runtime_error("cannot pack " + child.path().string() +
                                     ": neither a file nor a folder");
        }
    }
}

}  // namespace

std::vector<Entry> scanFolder(const std::string& root, const ScanOptions& options) {
    std::vector<Entry> entries;
    for (const auto& name : options.removals) {
        if (const char* problem = entryNameProblem(name))
            throw std::runtime_error("cannot remove " + name + ": " + problem);
        Entry removal;
        removal.kind = kEntryRemoval;
        removal.name = name;
        entries.push_back(std::move(removal));
    }
    scanInto(fs::path(root), std::string(), options, entries);
    return entries;
}

}  // namespace tarnwick::pack
