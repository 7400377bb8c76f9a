#pragma once

#include "extract/SevenZip/Pakloom.h"

namespace SevenZip {

// The host's log function, or null. One process-wide slot, read without a
// lock: the host must not change it while an extraction runs elsewhere.
void SetHostLogCallback(PakloomLogCallback callback);

// Formats one line printf-style into a 1,024-byte buffer (longer lines are
// cut at 1,023 characters) and hands it to the host's callback on the
// calling thread. Without a callback it does nothing, not even format.
// Every format starts with "%s: " for the reporting place.
__attribute__((format(printf, 1, 2))) void LogToHost(const char* format, ...);

}  // namespace SevenZip
