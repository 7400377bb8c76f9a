#pragma once

#include <string>

#include "extract/SevenZip/Pakloom.h"

// What a host does to use the library: load it by path, find the two
// exports by name. The platform files say how.
struct HostLibrary {
    ExtractArchiveFunction extractArchive = nullptr;
    SetLogCallbackFunction setLogCallback = nullptr;
};

// Loads the library that lies beside this program; on failure prints why
// and answers false.
[[nodiscard]] bool LoadHostLibrary(HostLibrary& library);

// Command-line argument index (argv as main received it) as the library
// wants it; false when it cannot be read as text, which the library would
// otherwise receive as another path than the one given.
[[nodiscard]] bool ArgumentText(char** argv, int index, std::basic_string<PakloomChar>& text);
