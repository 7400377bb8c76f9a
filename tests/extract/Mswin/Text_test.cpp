#include <gtest/gtest.h>

#include "extract/Mswin/Text.h"

namespace {

TEST(TextTest, EmptyTextStaysEmpty) {
    EXPECT_EQ(Mswin::Utf8ToUtf16(""), u"");
    EXPECT_EQ(Mswin::Utf16ToUtf8(u""), "");
}

TEST(TextTest, CharactersBeyondTheBasicPlaneSurviveARoundTrip) {
    const std::string text = "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a ü € 😀 z
    const std::u16string wide = Mswin::Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a\u00FC\u20AC\U0001F600z");
    EXPECT_EQ(wide.size(), 6u) << "the emoji is a surrogate pair";
    EXPECT_EQ(Mswin::Utf16ToUtf8(wide), text);
}

TEST(TextTest, InvalidSequencesAreReplacedNotRefused) {
    EXPECT_EQ(Mswin::Utf8ToUtf16("a\xFF"
                                 "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Mswin::Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
