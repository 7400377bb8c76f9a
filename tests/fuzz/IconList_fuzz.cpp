// The icon list resource: its header, then the strip copied or unpacked into
// a buffer of exactly the size the header describes.
#include <cstdint>
#include <vector>

#include "installer/ui/logic/IconListData.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace tarnwick;

namespace {

// Strips up to the resource's own limit are legal; beyond this they only
// cost time per input.
constexpr std::size_t kLargestStrip = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    const auto header = ui::readIconListHeader(data, size);
    if (!header) return 0;
    const std::size_t bytes = ui::stripBytes(*header);
    const std::uint64_t expected =
        std::uint64_t{header->imageSize} * header->imageSize * header->imageCount * 4;
    if (header->imageSize == 0 || header->imageCount == 0 || bytes != expected ||
        expected > ui::kMaxIconStripBytes)
        fuzz::fail("a header beyond the limits was taken");
    if (bytes > kLargestStrip) return 0;
    std::vector<std::uint8_t> strip(bytes);
    ui::fillIconStrip(data, size, *header, strip.data());
    return 0;
}
