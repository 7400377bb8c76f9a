#include "installer/ui/logic/DialogTemplateFont.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::ui {
namespace {

constexpr std::uint32_t kSetFont = 0x40;

class Bytes {
public:
    Bytes& word(std::uint16_t value) {
        data.push_back(static_cast<std::uint8_t>(value));
        data.push_back(static_cast<std::uint8_t>(value >> 8));
        return *this;
    }
    Bytes& dword(std::uint32_t value) { return word(static_cast<std::uint16_t>(value)).word(value >> 16); }
    Bytes& text(std::u16string_view value) {
        for (char16_t c : value)
            word(c);
        return word(0);
    }
    Bytes& align() {
        while (data.size() % 4)
            data.push_back(0);
        return *this;
    }
    std::vector<std::uint8_t> data;
};

// One control, as both forms carry it after the header; its content only
// has to come through unchanged.
std::vector<std::uint8_t> oneControl() {
    Bytes control;
    control.dword(0x50010000).dword(0).word(1).word(2).word(50).word(14).word(1);
    control.word(0xFFFF).word(0x0080).text(u"OK").word(0);
    return control.data;
}

std::u16string readText(const std::vector<std::uint8_t>& bytes, std::size_t& at) {
    std::u16string text;
    for (;;) {
        const char16_t c = static_cast<char16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        if (c == 0) return text;
        text.push_back(c);
    }
}

std::uint16_t readWord(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

TEST(DialogTemplateFont, ClassicTemplateWithoutFontGainsOne) {
    Bytes dialog;
    dialog.dword(0x80C80000).dword(0).word(1).word(0).word(0).word(100).word(50);
    dialog.word(0).word(0).text(u"Title").align();
    const auto controls = oneControl();
    dialog.data.insert(dialog.data.end(), controls.begin(), controls.end());

    const auto out = replaceDialogFont(dialog.data.data(), dialog.data.size(), u"MS Shell Dlg 2", 8);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0] & kSetFont, kSetFont) << "the style now says a font follows";
    std::size_t at = 18 + 2 + 2;
    EXPECT_EQ(readText(out, at), u"Title");
    EXPECT_EQ(readWord(out, at), 8);
    at += 2;
    EXPECT_EQ(readText(out, at), u"MS Shell Dlg 2");
    at = (at + 3) & ~std::size_t{3};
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + at, out.end()), controls);
}

TEST(DialogTemplateFont, ExtendedTemplateKeepsWeightItalicAndCharset) {
    Bytes dialog;
    dialog.word(1).word(0xFFFF).dword(0).dword(0).dword(0x80C80000 | kSetFont).word(1);
    dialog.word(0).word(0).word(279).word(103);
    dialog.word(0xFFFF).word(7).text(u"MyClass").text(u"Tarnwick - Install");
    dialog.word(10).word(700).word(0x0201).text(u"MS Sans Serif").align();
    const auto controls = oneControl();
    dialog.data.insert(dialog.data.end(), controls.begin(), controls.end());

    const auto out = replaceDialogFont(dialog.data.data(), dialog.data.size(), u"MS Shell Dlg 2", 8);
    ASSERT_FALSE(out.empty());
    std::size_t at = 26 + 4;
    EXPECT_EQ(readText(out, at), u"MyClass");
    EXPECT_EQ(readText(out, at), u"Tarnwick - Install");
    EXPECT_EQ(readWord(out, at), 8);
    EXPECT_EQ(readWord(out, at + 2), 700);
    EXPECT_EQ(readWord(out, at + 4), 0x0201);
    at += 6;
    EXPECT_EQ(readText(out, at), u"MS Shell Dlg 2");
    at = (at + 3) & ~std::size_t{3};
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + at, out.end()), controls);
    EXPECT_EQ(out.size() % 4, dialog.data.size() % 4);
}

TEST(DialogTemplateFont, TruncatedTemplatesAreRefused) {
    Bytes dialog;
    dialog.word(1).word(0xFFFF).dword(0).dword(0).dword(kSetFont).word(0);
    dialog.word(0).word(0).word(10).word(10).word(0).word(0).text(u"T").word(8).word(400);
    for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{20}, dialog.data.size()}) {
        EXPECT_TRUE(replaceDialogFont(dialog.data.data(), length, u"X", 8).empty()) << length;
    }
    Bytes unterminated;
    unterminated.dword(0).dword(0).word(0).word(0).word(0).word(1).word(1).word(0).word(0).word('A');
    EXPECT_TRUE(replaceDialogFont(unterminated.data.data(), unterminated.data.size(), u"X", 8).empty());
}

TEST(DialogTemplateFont, TemplateWithoutControlsMayEndRightAfterItsFont) {
    Bytes dialog;
    dialog.dword(kSetFont).dword(0).word(0).word(0).word(0).word(10).word(10);
    dialog.word(0).word(0).text(u"").word(9).text(u"Tahoma");
    const auto out = replaceDialogFont(dialog.data.data(), dialog.data.size(), u"MS Shell Dlg 2", 8);
    ASSERT_FALSE(out.empty());
    std::size_t at = 18 + 6;
    EXPECT_EQ(readWord(out, at), 8);
    at += 2;
    EXPECT_EQ(readText(out, at), u"MS Shell Dlg 2");
}

}  // namespace
}  // namespace tarnwick::ui
