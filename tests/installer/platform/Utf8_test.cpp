#include "installer/platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/Utf8Names.h"

namespace tarnwick::platform {
namespace {

TEST(Utf8, WellFormedTextIncludingTheLongestAndHighestForms) {
    for (const auto& name : test::kNamesBeyondAscii) {
        EXPECT_TRUE(isUtf8(name.folder)) << name.folder;
        EXPECT_TRUE(isUtf8(name.file)) << name.file;
    }
    for (const std::string text :
         {"", "plain ASCII\\path.txt", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
          "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(isUtf8(text)) << text;
}

TEST(Utf8, AnsiBytesAndMalformedSequencesAreNot) {
    const std::string refused[] = {
        test::kWesternAnsiName,
        "\xC4\xD6\xDC",      // ÄÖÜ in the Western code page
        "\x93quoted\x94",    // curly quotes there
        "\x80",              // a continuation byte without a lead
        "\xC3",              // a lead at the end
        "\xE6\x97",          // a three-byte sequence cut short
        "\xE6\x97z",         // ... or broken by ASCII
        "\xC0\xAF",          // an overlong slash
        "\xC1\xBF",          // an overlong two-byte form
        "\xE0\x9F\xBF",      // an overlong three-byte form
        "\xF0\x8F\xBF\xBF",  // an overlong four-byte form
        "\xED\xA0\x80",      // an encoded surrogate
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "\xF5\x80\x80\x80",  // a lead that no code point has
        "\xFF",
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(isUtf8(text)) << testing::PrintToString(text);
}

}  // namespace
}  // namespace tarnwick::platform
