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
// always gives the same package. Throws std::runtime_error on a read error.
std::vector<Entry> scanFolder(const std::string& root, const ScanOptions& options);

}  // namespace tarnwick::pack
