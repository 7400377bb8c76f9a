#include "extract/SevenZip/FileInStream.h"

#include "extract/Mswin/ErrorMessage.h"
#include "extract/Mswin/Files.h"

namespace SevenZip {

FileInStream::FileInStream(const std::u16string& archivePath)
    : file_(Mswin::OpenFileHandle(archivePath, Mswin::kOpenExisting, Mswin::kGenericRead)) {}

Result PAKLOOM_ENGINE_CALL FileInStream::Read(void* data, std::uint32_t size, std::uint32_t* processed) {
    if (!processed) return kFail;
    if (!Mswin::ReadFromFile(file_.Get(), data, size, processed))
        return Mswin::ResultFromError(Mswin::LastError());
    return kOk;
}

Result PAKLOOM_ENGINE_CALL FileInStream::Seek(std::int64_t offset, std::uint32_t origin,
                                              std::uint64_t* newPosition) {
    std::uint64_t position = 0;
    if (!Mswin::SeekFile(file_.Get(), offset, origin, &position))
        return Mswin::ResultFromError(Mswin::LastError());
    if (newPosition) *newPosition = position;
    return kOk;
}

Result PAKLOOM_ENGINE_CALL FileInStream::GetSize(std::uint64_t* size) {
    if (!size) return kFail;
    if (!Mswin::FileSizeOf(file_.Get(), size)) return Mswin::ResultFromError(Mswin::LastError());
    return kOk;
}

}  // namespace SevenZip
