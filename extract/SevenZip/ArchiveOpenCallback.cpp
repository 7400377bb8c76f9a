#include "extract/SevenZip/ArchiveOpenCallback.h"

namespace SevenZip {

Result ArchiveOpenCallback::QueryInterface(const Guid& iid, void** object) {
    if (iid == kIUnknownId || iid == kIArchiveOpenCallbackId) {
        *object = static_cast<IArchiveOpenCallback*>(this);
    } else if (iid == kICryptoGetTextPasswordId) {
        *object = static_cast<ICryptoGetTextPassword*>(this);
    } else {
        return kNoInterface;
    }
    AddRef();
    return kOk;
}

std::uint32_t ArchiveOpenCallback::AddRef() {
    return references_.Increment();
}

std::uint32_t ArchiveOpenCallback::Release() {
    const std::uint32_t left = references_.Decrement();
    if (left == 0) delete this;
    return left;
}

Result ArchiveOpenCallback::SetTotal(const std::uint64_t*, const std::uint64_t*) {
    return kOk;
}

Result ArchiveOpenCallback::SetCompleted(const std::uint64_t*, const std::uint64_t*) {
    return kOk;
}

Result ArchiveOpenCallback::CryptoGetTextPassword(void**) {
    return kAbort;
}

}  // namespace SevenZip
