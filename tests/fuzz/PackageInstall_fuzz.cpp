// An update package as a download leaves it in memory: the header, the
// (packed or stored) body and its entries, installed into a scratch folder
// that is emptied after every input. Nothing may appear outside it. A
// package whose trailer ends in what looks like a signature block is checked
// against a publisher key first, and must then never be installed unless
// its signature holds.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "installer/core/ByteOrder.h"
#include "installer/package/PackageHeader.h"
#include "installer/package/PackageSignature.h"
#include "installer/package/UpdateJob.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/TestSigning.h"

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

// The version the seed corpus's packages carry.
constexpr std::uint32_t kPackageVersion = 7;
// A header may announce up to 4 GB unpacked, which the installer then asks
// for; that costs only time per input here, so larger ones are skipped.
constexpr std::uint32_t kLargestUnpacked = 1u << 20;

// What the scratch folder may hold besides the install folder.
bool expectedEntry(const fs::path& name) {
    return name == "install" || name == "data";
}

bool endsInSignatureBlock(const std::uint8_t* data, std::size_t size) {
    return size >= kPackageHeaderLength + kSignatureBlockLength &&
           std::memcmp(data + size - kSignatureBlockLength, kSignatureMagic, sizeof kSignatureMagic) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& scratch = fuzz::prepareProcess();
    if (size >= kPackageHeaderLength && loadBigEndian32(data + 4) > kLargestUnpacked) return 0;

    const fs::path folder = scratch / "install";
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directory(folder, error);
    if (error) fuzz::fail("the install folder cannot be made");
    const std::string prefix = folder.string() + "/";
    // An install deletes the download record; this folder is never made, so
    // that deletion touches nothing.
    const std::string recordFolder = (scratch / "record").string() + "/";

    {
        UpdateJob job;
        job.setInstallFolder(prefix.c_str());
        job.setRecordFolder(recordFolder.c_str());
        static const PublisherKey key = test::publisherKeyOf(test::kPublisherTestKey);
        if (endsInSignatureBlock(data, size)) job.setPublisherKey(key);
        try {
            job.takeResource(data, static_cast<std::uint32_t>(size), kPackageVersion);
            job.install();
            const char* program = job.launchPath();
            if (program[0] != '\0' && std::strncmp(program, prefix.c_str(), prefix.size()) != 0)
                fuzz::fail("the client program lies outside the install folder");
        } catch (FailureCode) {
        }
    }

    for (const auto& entry : fs::directory_iterator(scratch))
        if (!expectedEntry(entry.path().filename())) fuzz::fail("a package wrote outside its install folder");
    return 0;
}
