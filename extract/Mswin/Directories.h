#pragma once

#include <string>

namespace Mswin {

// Creates every missing folder along path, outside in. An entry that exists
// (folder or file) is passed over; the first folder that cannot be created
// throws the Ostrel::Log::LogException of "Failed to create directory
// (<path so far>):". Folders created before a failure stay.
void CreateDirectories(const std::u16string& path);

}  // namespace Mswin
