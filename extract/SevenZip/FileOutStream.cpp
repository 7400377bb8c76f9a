#include "extract/SevenZip/FileOutStream.h"

#include "extract/Mswin/ErrorMessage.h"
#include "extract/Mswin/Files.h"

namespace SevenZip {

FileOutStream::FileOutStream(const std::u16string& path)
    : file_(Mswin::OpenFileHandle(path, Mswin::kCreateAlways, Mswin::kGenericAll)) {}

Result PAKLOOM_ENGINE_CALL FileOutStream::Write(const void* data, std::uint32_t size,
                                                std::uint32_t* processed) {
    std::uint32_t written = 0;
    if (!Mswin::WriteToFile(file_.Get(), data, size, &written))
        return Mswin::ResultFromError(Mswin::LastError());
    if (processed) *processed = written;
    return kOk;
}

}  // namespace SevenZip
