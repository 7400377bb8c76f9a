#include "installer/platform/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tarnwick::platform {
namespace {

std::string hex(const std::uint8_t (&digest)[16]) {
    std::string text;
    char pair[3];
    for (const std::uint8_t byte : digest) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

// The digest of text fed in pieces of at most piece bytes.
std::string digestOf(const std::string& text, std::size_t piece) {
    Md5 md5;
    for (std::size_t at = 0; at < text.size(); at += piece)
        EXPECT_TRUE(md5.update(text.data() + at, std::min(piece, text.size() - at)));
    std::uint8_t digest[16];
    EXPECT_TRUE(md5.finish(digest));
    return hex(digest);
}

// Both backends (OpenSSL natively, CNG on Windows) against the reference
// values, whole and in pieces that cut the 64-byte blocks anywhere.
TEST(Md5, GivesTheReferenceDigestsHoweverTheInputIsCut) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : cases) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}, text.size() + 1})
            EXPECT_EQ(digestOf(text, piece), expected) << '"' << text << "\" in pieces of " << piece;
    }
}

}  // namespace
}  // namespace tarnwick::platform
