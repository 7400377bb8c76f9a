#pragma once

#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/EngineObject.h"

namespace SevenZip {

// Given to the engine while it opens an archive: ignores progress and
// refuses every password request, so an encrypted header cannot be opened.
class ArchiveOpenCallback final
    : public EngineObject<ArchiveOpenCallback, IArchiveOpenCallback, ICryptoGetTextPassword> {
public:
    Result PAKLOOM_ENGINE_CALL SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) override;
    Result PAKLOOM_ENGINE_CALL SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) override;
    Result PAKLOOM_ENGINE_CALL CryptoGetTextPassword(void** password) override;

private:
    friend EngineObject;
    ~ArchiveOpenCallback() = default;
};

}  // namespace SevenZip
