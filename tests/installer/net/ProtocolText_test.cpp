#include "installer/net/ProtocolText.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

TEST(EqualsIgnoreCase, TreatsNullAsEmpty) {
    EXPECT_EQ(equalsIgnoreCase("Proxy.LAN", "proxy.lan"), 0);
    EXPECT_NE(equalsIgnoreCase("proxy.lan", "proxy.lan2"), 0);
    EXPECT_NE(equalsIgnoreCase("proxy", ""), 0);
    EXPECT_EQ(equalsIgnoreCase(nullptr, nullptr), 0);
    EXPECT_EQ(equalsIgnoreCase(nullptr, ""), 0);
    EXPECT_EQ(equalsIgnoreCase("", ""), 0);
    EXPECT_NE(equalsIgnoreCase(nullptr, "x"), 0);
}

// The bool form serves host names (terminated, possibly null) and file
// names (views into longer texts, possibly holding zero bytes).
TEST(SameIgnoringCase, FoldsLettersOnlyAndCountsEveryByte) {
    EXPECT_TRUE(sameIgnoringCase("Proxy.LAN", "proxy.lan"));
    EXPECT_TRUE(sameIgnoringCase(nullptr, ""));
    EXPECT_FALSE(sameIgnoringCase("proxy", "proxy.lan"));
    // '[' and '{' differ only in the bit that separates cases of letters.
    EXPECT_FALSE(sameIgnoringCase("a[", "A{"));
    EXPECT_TRUE(sameIgnoringCase(std::string_view("COM1").substr(0, 3), "com"));
    EXPECT_FALSE(sameIgnoringCase(std::string_view("COM1"), "com"));
    EXPECT_TRUE(sameIgnoringCase(std::string("A\0b", 3), std::string("a\0B", 3)));
    EXPECT_FALSE(sameIgnoringCase(std::string("a\0b", 3), std::string("a\0c", 3)));
}

TEST(StartsWithIgnoreCase, MatchesPrefixesOnly) {
    EXPECT_TRUE(startsWithIgnoreCase("content-length: 5", "Content-Length: "));
    EXPECT_FALSE(startsWithIgnoreCase("Content-Length:5", "Content-Length: "));
    EXPECT_FALSE(startsWithIgnoreCase("Content", "Content-Length: "));
    EXPECT_TRUE(startsWithIgnoreCase("", ""));
    EXPECT_FALSE(startsWithIgnoreCase("", "x"));
    EXPECT_FALSE(startsWithIgnoreCase(nullptr, ""));
    EXPECT_FALSE(startsWithIgnoreCase("x", nullptr));
}

TEST(CopyLengthPrefixed, WritesALengthByteAndTheText) {
    std::uint8_t out[300] = {};
    EXPECT_EQ(copyLengthPrefixed(out, "user") - out, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 5), "\4user");
    EXPECT_EQ(copyLengthPrefixed(out, nullptr) - out, 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(copyLengthPrefixed(out, "") - out, 1);
    const std::string longText(260, 'a');
    EXPECT_EQ(copyLengthPrefixed(out, longText.c_str()) - out, 5) << "the bytes follow the length byte";
    EXPECT_EQ(out[0], 4);
}

TEST(Base64Encode, PadsEveryRemainder) {
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("f"), "Zg==");
    EXPECT_EQ(base64Encode("fo"), "Zm8=");
    EXPECT_EQ(base64Encode("foo"), "Zm9v");
    EXPECT_EQ(base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64Encode(":"), "Og==");
    EXPECT_EQ(base64Encode("\xFF\xFE?"), "//4/");
}

}  // namespace
}  // namespace tarnwick
