#pragma once

#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/ReferenceCount.h"

namespace SevenZip {

// Given to the engine while it opens an archive: ignores progress and
// refuses every password request, so an encrypted header cannot be opened.
class ArchiveOpenCallback final : public IArchiveOpenCallback, public ICryptoGetTextPassword {
public:
    Result QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    Result SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) override;
    Result SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) override;
    Result CryptoGetTextPassword(void** password) override;

private:
    ~ArchiveOpenCallback() = default;

    ReferenceCount references_;
};

}  // namespace SevenZip
