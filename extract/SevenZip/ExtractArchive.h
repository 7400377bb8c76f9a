#pragma once

#include <string>

namespace SevenZip {

// Loads the engine at engineLibraryPath, opens the 7z archive at archivePath
// and extracts every item below destinationFolder. Answers 1 when the engine
// reported success, 0 otherwise, with the reason in a line for the host.
// Nothing is thrown; every reference taken is released and the engine module
// is freed before it returns.
int ExtractToFolder(const std::u16string& engineLibraryPath, const std::u16string& archivePath,
                    const std::u16string& destinationFolder);

}  // namespace SevenZip
