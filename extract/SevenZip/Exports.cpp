#include "extract/SevenZip/ExtractArchive.h"
#include "extract/SevenZip/HostLog.h"
#include "extract/SevenZip/Pakloom.h"

// The library's only two entry points. PakloomChar is a 16-bit UTF-16 unit
// on every platform, so the host's strings are taken as they are.

int PAKLOOM_API ExtractArchive(const PakloomChar* engineLibraryPath, const PakloomChar* archivePath,
                               const PakloomChar* destinationFolder) {
    // Without an engine path there is nothing to load; it is refused with the
    // other missing arguments instead of being handed to the loader.
    if (!engineLibraryPath || !archivePath || !destinationFolder) {
        SevenZip::LogToHost("%s: Invalid archive path or destination folder.", "ExtractArchive");
        return 0;
    }
    try {
        const auto text = [](const PakloomChar* p) {
            return std::u16string(reinterpret_cast<const char16_t*>(p));
        };
        return SevenZip::ExtractToFolder(text(engineLibraryPath), text(archivePath), text(destinationFolder));
    } catch (...) {
        // Copying the paths can only fail for want of memory.
        SevenZip::LogToHost("%s: Caught unknown exception.", "ExtractArchive");
        return 0;
    }
}

void PAKLOOM_API SetLogCallback(PakloomLogCallback callback) {
    SevenZip::SetHostLogCallback(callback);
}
