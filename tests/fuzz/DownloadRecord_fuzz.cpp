// The download record left by a broken download, or holding a whole body
// not yet installed: its header, and the body bytes it holds read into a
// buffer of the size the header promises.
#include <cstdint>
#include <vector>

#include "installer/core/MemoryStream.h"
#include "installer/package/DownloadRecord.h"
#include "installer/package/PackageHeader.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace tarnwick;

namespace {

// The version the seed corpus's records carry.
constexpr std::uint32_t kPackageVersion = 7;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    std::vector<std::uint8_t> bytes(data, data + size);
    MemoryStream record;
    record.attachBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    DownloadRecordHeader header;
    try {
        header = readDownloadRecordHeader(record, kPackageVersion);
    } catch (FailureCode) {
        return 0;
    }
    if (header.unpackedSize == 0 || header.packedSize == 0) fuzz::fail("a size of 0 was taken");
    if (header.held != size - kPackageHeaderLength) fuzz::fail("the held count is not the record's rest");
    const std::uint64_t total = std::uint64_t{header.packedSize} + header.trailerSize;
    if (total > UINT32_MAX || header.held > total) fuzz::fail("the held bytes do not fit the body");
    // Exactly the held bytes: a read past them would overrun this buffer.
    std::vector<std::uint8_t> body(header.held);
    record.readBytes(body.data(), header.held);
    return 0;
}
