#include "tools/tarnwick-pack/PackageBuilder.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "installer/core/ByteOrder.h"

extern "C" {
#include "LzmaEnc.h"
}

namespace tarnwick::pack {

namespace {

void appendWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[4];
    storeBigEndian32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void* allocate(void*, std::size_t size) {
    return std::malloc(size);
}
void release(void*, void* address) {
    std::free(address);
}

}  // namespace

std::vector<std::uint8_t> serializeEntries(std::uint32_t word1, std::uint32_t word2,
                                           const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> out;
    appendWord(out, word1);
    appendWord(out, word2);
    for (const Entry& entry : entries) {
        out.push_back(entry.kind);
        out.push_back(entry.flags);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.push_back(0);
        if (entry.kind == kEntryFile || entry.kind == kEntryFolder) {
            appendWord(out, static_cast<std::uint32_t>(entry.modificationTime));
            appendWord(out, static_cast<std::uint32_t>(entry.creationTime));
        }
        if (entry.kind == kEntryFile) {
            appendWord(out, static_cast<std::uint32_t>(entry.content.size()));
            out.insert(out.end(), entry.content.begin(), entry.content.end());
        }
    }
    out.push_back(0);
    return out;
}

std::vector<std::uint8_t> compressLzma(const std::vector<std::uint8_t>& input, const LzmaSettings& settings) {
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = settings.level;
    props.dictSize = settings.dictionarySize;
    props.lc = settings.lc;
    props.lp = settings.lp;
    props.pb = settings.pb;
    // Incompressible input grows a little; the SDK's own bound is generous.
    std::vector<std::uint8_t> out(LZMA_PROPS_SIZE + input.size() + input.size() / 3 + 128);
    SizeT packedLength = out.size() - LZMA_PROPS_SIZE;
    SizeT propsLength = LZMA_PROPS_SIZE;
    ISzAlloc heap = {allocate, release};
    const SRes result = LzmaEncode(out.data() + LZMA_PROPS_SIZE, &packedLength, input.data(), input.size(),
                                   &props, out.data(), &propsLength, 0, nullptr, &heap, &heap);
    if (result != SZ_OK || propsLength != LZMA_PROPS_SIZE) return {};
    out.resize(LZMA_PROPS_SIZE + packedLength);
    return out;
}

std::vector<std::uint8_t> buildResource(std::uint16_t version, std::uint8_t flags, std::uint32_t unpackedSize,
                                        const std::vector<std::uint8_t>& packed,
                                        const std::vector<std::uint8_t>& trailer) {
    // The header's sizes are 32 bits, and the installer holds packed bytes
    // and trailer in one block of a 32-bit size: a larger package would be
    // described wrongly.
    if (packed.size() > UINT32_MAX - std::min<std::size_t>(trailer.size(), UINT32_MAX))
        throw std::length_error("the packed package and its trailer come to 4 GiB or more");
    std::vector<std::uint8_t> out;
    out.push_back(1);
    out.push_back(flags);
    out.push_back(static_cast<std::uint8_t>(version >> 8));
    out.push_back(static_cast<std::uint8_t>(version));
    appendWord(out, unpackedSize);
    appendWord(out, static_cast<std::uint32_t>(packed.size()));
    appendWord(out, static_cast<std::uint32_t>(trailer.size()));
    out.insert(out.end(), packed.begin(), packed.end());
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

std::vector<std::uint8_t> buildPackage(std::uint16_t version, const std::vector<Entry>& entries,
                                       const LzmaSettings& settings, std::uint32_t word1, std::uint32_t word2,
                                       const std::vector<std::uint8_t>& trailer) {
    const auto unpacked = serializeEntries(word1, word2, entries);
    if (unpacked.size() > UINT32_MAX) throw std::length_error("the unpacked package comes to 4 GiB or more");
    auto packed = compressLzma(unpacked, settings);
    if (packed.empty()) return {};
    // The installer reads a package whose two sizes are equal as stored, not
    // compressed; should LZMA land on exactly that size, store it instead.
    if (packed.size() == unpacked.size()) packed = unpacked;
    return buildResource(version, 0, static_cast<std::uint32_t>(unpacked.size()), packed, trailer);
}

std::vector<std::uint8_t> signResource(std::vector<std::uint8_t> resource, const Signer& signer) {
    if (resource.size() < kPackageHeaderLength) throw std::length_error("shorter than a package header");
    const std::uint32_t trailerSize = loadBigEndian32(&resource[12]);
    const std::size_t body = resource.size() - kPackageHeaderLength;
    if (trailerSize > UINT32_MAX - kSignatureBlockLength || body > UINT32_MAX - kSignatureBlockLength)
        throw std::length_error("the signed package would come to 4 GiB or more");
    storeBigEndian32(&resource[12], trailerSize + kSignatureBlockLength);

    std::uint8_t header[kPackageHeaderLength];
    std::copy(resource.begin(), resource.begin() + kPackageHeaderLength, header);
    const auto digest =
        packageDigest(header, resource.data() + kPackageHeaderLength, static_cast<std::uint32_t>(body));
    if (!digest) throw std::runtime_error("the SHA-256 digest failed");
    const P256Signature signature = signer.sign(*digest);
    resource.insert(resource.end(), std::begin(kSignatureMagic), std::end(kSignatureMagic));
    resource.insert(resource.end(), signer.keyId.begin(), signer.keyId.end());
    resource.insert(resource.end(), signature.begin(), signature.end());
    return resource;
}

}  // namespace tarnwick::pack
