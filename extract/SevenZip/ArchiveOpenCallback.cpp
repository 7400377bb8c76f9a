#include "extract/SevenZip/ArchiveOpenCallback.h"

namespace SevenZip {

Result PAKLOOM_ENGINE_CALL ArchiveOpenCallback::SetTotal(const std::uint64_t*, const std::uint64_t*) {
    return kOk;
}

Result PAKLOOM_ENGINE_CALL ArchiveOpenCallback::SetCompleted(const std::uint64_t*, const std::uint64_t*) {
    return kOk;
}

Result PAKLOOM_ENGINE_CALL ArchiveOpenCallback::CryptoGetTextPassword(void**) {
    return kAbort;
}

}  // namespace SevenZip
