#pragma once

#include <set>
#include <string>
#include <vector>

#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick::pack {

struct ScanOptions {
    // Backslash-separated names relative to the folder.
    std::string clientProgram;
    std::set<std::string> resetFolders;
    std::vector<std::string> removals;
};

// Removal entries first, then every folder before what it holds and every
// file with its content and times, in name order so that the same folder
// always gives the same package. Throws std::runtime_error, naming the file,
// on a read error and for anything the installer would refuse: a name it
// does not take (entryNameProblem), a file of 4 GiB or more, a symbolic link
// (never followed) or anything else that is neither file nor folder.
std::vector<Entry> scanFolder(const std::string& root, const ScanOptions& options);

}  // namespace tarnwick::pack
