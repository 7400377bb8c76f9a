#pragma once

#include <string>

#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/EngineObject.h"
#include "extract/SevenZip/InterfaceHolder.h"

namespace SevenZip {

// Given to the engine for the extraction: places each item below the
// destination folder. Progress and per-item results are not looked at, and
// every password request is refused.
class ArchiveExtractCallback final
    : public EngineObject<ArchiveExtractCallback, IArchiveExtractCallback, ICryptoGetTextPassword> {
public:
    // Holds a reference of its own on archive (when not null).
    ArchiveExtractCallback(IInArchive* archive, const std::u16string& destinationFolder);

    Result PAKLOOM_ENGINE_CALL SetTotal(std::uint64_t total) override;
    Result PAKLOOM_ENGINE_CALL SetCompleted(const std::uint64_t* completed) override;
    // A folder item is created here and gets no stream; a file item gets a
    // new FileOutStream whose only reference goes to the engine. Items whose
    // path would leave the destination folder are refused.
    Result PAKLOOM_ENGINE_CALL GetStream(std::uint32_t index, ISequentialOutStream** stream,
                                         std::int32_t extractMode) override;
    Result PAKLOOM_ENGINE_CALL PrepareOperation(std::int32_t extractMode) override;
    Result PAKLOOM_ENGINE_CALL SetOperationResult(std::int32_t operationResult) override;
    Result PAKLOOM_ENGINE_CALL CryptoGetTextPassword(void** password) override;

private:
    friend EngineObject;
    ~ArchiveExtractCallback() = default;

    Result PlaceItem(std::uint32_t index, ISequentialOutStream** stream);

    // Declared first so that it is released last, after the path is freed.
    InterfaceHolder<IInArchive> archive_;
    std::u16string destinationFolder_;
};

}  // namespace SevenZip
