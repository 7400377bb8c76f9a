#pragma once

#include <cstdint>
#include <string>

namespace Mswin {

// A system error number of the calling thread (GetLastError, or errno).
using ErrorCode = std::uint32_t;

ErrorCode LastError() noexcept;
void RestoreLastError(ErrorCode code) noexcept;

// The system's sentence for code without a trailing line break, or
// "Error: 0x<hex>" when the system has none, followed by " (<decimal>)".
std::string GetErrorMessage(ErrorCode code);

// A system error as a 32-bit engine result: a positive error e becomes
// 0x80070000 + (e & 0xFFFF); 0 and values with the top bit set pass unchanged.
std::int32_t ResultFromError(ErrorCode code) noexcept;

}  // namespace Mswin
