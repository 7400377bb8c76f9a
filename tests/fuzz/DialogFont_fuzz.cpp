// Dialog templates from the resources, rewritten to name another font. A
// template that was rewritten once already names the font, so rewriting it
// again must change nothing.
//
//   points u16 LE | face u8 (index into kFaces) | template
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "installer/ui/logic/DialogTemplateFont.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace tarnwick;

namespace {

constexpr std::u16string_view kFaces[] = {u"MS Shell Dlg 2", u"Segoe UI", u"",
                                          u"A face name far longer than any a system would ever offer, "
                                          u"to see that nothing is cut or overrun on its way in"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    fuzz::InputReader input(data, size);
    std::uint16_t points = input.byte();
    points = static_cast<std::uint16_t>(points | input.byte() << 8);
    const std::u16string_view face = kFaces[input.byte() % std::size(kFaces)];
    const std::string dialog = input.rest();

    const std::vector<std::uint8_t> once = ui::replaceDialogFont(
        reinterpret_cast<const std::uint8_t*>(dialog.data()), dialog.size(), face, points);
    if (once.empty()) return 0;
    const std::vector<std::uint8_t> twice = ui::replaceDialogFont(once.data(), once.size(), face, points);
    if (twice != once) fuzz::fail("rewriting a rewritten template changed it");
    return 0;
}
