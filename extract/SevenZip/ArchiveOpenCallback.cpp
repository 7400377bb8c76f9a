#include "extract/SevenZip/ArchiveOpenCallback.h"

namespace SevenZip {

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
