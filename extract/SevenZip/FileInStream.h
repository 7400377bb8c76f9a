#pragma once

#include <string>

#include "extract/Mswin/ScopedHandle.h"
#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/EngineObject.h"

namespace SevenZip {

// The archive file as the engine's seekable input. No buffering: every Read
// is one system call of the size the engine asks for.
class FileInStream final : public EngineObject<FileInStream, IInStream, IStreamGetSize> {
public:
    // Opens the archive at once, read-only and unshared; throws the
    // Ostrel::Log::LogException of "Could not open <path>." if it cannot.
    explicit FileInStream(const std::u16string& archivePath);

    Result PAKLOOM_ENGINE_CALL Read(void* data, std::uint32_t size, std::uint32_t* processed) override;
    Result PAKLOOM_ENGINE_CALL Seek(std::int64_t offset, std::uint32_t origin,
                                    std::uint64_t* newPosition) override;
    Result PAKLOOM_ENGINE_CALL GetSize(std::uint64_t* size) override;

private:
    friend EngineObject;
    ~FileInStream() = default;

    Mswin::ScopedHandle file_;
};

}  // namespace SevenZip
