#pragma once

#include <string>

#include "extract/Mswin/ScopedLoadLibrary.h"

namespace SevenZip {

// Whether the engine module lays its interfaces out as this library calls
// them. 7-Zip from 23 on gives IUnknown no virtual destructor outside Windows
// too, and says so through GetModuleProp. p7zip 16.02 and 7-Zip's earlier
// builds for other systems give it one: two destructor slots follow Release,
// every method moves two places on, and calling Open would destroy the
// object. They lack GetModuleProp, or report the older layout or version.
// Answers what was found, for the log, when the layout is not this
// library's; otherwise an empty string.
std::string UnsupportedEngineLayout(const Mswin::ScopedLoadLibrary& module);

}  // namespace SevenZip
