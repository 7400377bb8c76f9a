#include "installer/ui/logic/DialogTemplateFont.h"

#include <algorithm>
#include <optional>

#include "installer/core/ByteOrder.h"

namespace tarnwick::ui {

namespace {

constexpr std::uint32_t kSetFontStyle = 0x40;  // DS_SETFONT
constexpr std::uint16_t kDefaultWeight = 400;  // FW_NORMAL
constexpr std::uint8_t kDefaultCharset = 1;    // DEFAULT_CHARSET

// Reads the template front to back and gives up (an empty optional) at the
// first field that would run past its end.
class TemplateReader {
public:
    TemplateReader(const std::uint8_t* data, std::size_t length) : data_(data), length_(length) {}

    std::size_t position() const { return position_; }
    void seek(std::size_t position) { position_ = position; }

    std::optional<std::uint16_t> word() {
        if (position_ + 2 > length_) return std::nullopt;
        const std::uint16_t value = loadLittleEndian16(data_ + position_);
        position_ += 2;
        return value;
    }

    // A name field: 0x0000 (none), 0xFFFF and an ordinal, or a string.
    bool skipNameOrOrdinal() {
        const auto first = word();
        if (!first) return false;
        if (*first == 0xFFFF) return word().has_value();
        return *first == 0 || skipStringRest();
    }

    bool skipString() {
        const auto first = word();
        return first && (*first == 0 || skipStringRest());
    }

private:
    bool skipStringRest() {
        for (;;) {
            const auto c = word();
            if (!c) return false;
            if (*c == 0) return true;
        }
    }

    const std::uint8_t* data_;
    std::size_t length_;
    std::size_t position_ = 0;
};

void putWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    std::uint8_t bytes[2];
    storeLittleEndian16(bytes, value);
    out.insert(out.end(), bytes, bytes + 2);
}

void padToDword(std::vector<std::uint8_t>& out) {
    while (out.size() % 4 != 0)
        out.push_back(0);
}

std::size_t alignToDword(std::size_t position) {
    return (position + 3) & ~std::size_t{3};
}

}  // namespace

std::vector<std::uint8_t> replaceDialogFont(const std::uint8_t* dialogTemplate, std::size_t length,
                                            std::u16string_view face, std::uint16_t points) {
    TemplateReader reader(dialogTemplate, length);
    const auto version = reader.word();
    const auto signature = reader.word();
    if (!version || !signature) return {};
    const bool extended = *version == 1 && *signature == 0xFFFF;
    const std::size_t styleOffset = extended ? 12 : 0;
    const std::size_t fixedHeader = extended ? 26 : 18;
    if (length < fixedHeader) return {};
    const std::uint32_t style = loadLittleEndian32(dialogTemplate + styleOffset);

    reader.seek(fixedHeader);
    if (!reader.skipNameOrOrdinal() || !reader.skipNameOrOrdinal() || !reader.skipString()) return {};
    const std::size_t fontOffset = reader.position();

    std::uint16_t weight = kDefaultWeight;
    std::uint16_t italicAndCharset = std::uint16_t{kDefaultCharset} << 8;
    if (style & kSetFontStyle) {
        if (!reader.word()) return {};
        if (extended) {
            const auto oldWeight = reader.word();
            const auto oldItalicAndCharset = reader.word();
            if (!oldWeight || !oldItalicAndCharset) return {};
            weight = *oldWeight;
            italicAndCharset = *oldItalicAndCharset;
        }
        if (!reader.skipString()) return {};
    }
    // The controls start at the next four-byte boundary after the font; a
    // template without controls may end before that boundary.
    const std::size_t controls = std::min(alignToDword(reader.position()), length);

    std::vector<std::uint8_t> out(dialogTemplate, dialogTemplate + fontOffset);
    storeLittleEndian32(out.data() + styleOffset, style | kSetFontStyle);
    putWord(out, points);
    if (extended) {
        putWord(out, weight);
        putWord(out, italicAndCharset);
    }
    for (char16_t c : face)
        putWord(out, static_cast<std::uint16_t>(c));
    putWord(out, 0);
    padToDword(out);
    out.insert(out.end(), dialogTemplate + controls, dialogTemplate + length);
    return out;
}

}  // namespace tarnwick::ui
