#include "installer/platform/Signature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tarnwick::platform {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> fromHex(const char* text) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        unsigned value = 0;
        std::sscanf(text + 2 * i, "%2x", &value);
        bytes[i] = static_cast<std::uint8_t>(value);
    }
    return bytes;
}

std::string digestOf(const std::string& text, std::size_t piece) {
    Sha256 sha;
    for (std::size_t at = 0; at < text.size(); at += piece)
        EXPECT_TRUE(sha.update(text.data() + at, std::min(piece, text.size() - at)));
    std::uint8_t digest[32];
    EXPECT_TRUE(sha.finish(digest));
    std::string hex;
    char pair[3];
    for (const std::uint8_t byte : digest) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

TEST(Sha256, GivesTheReferenceDigestsHoweverTheInputIsCut) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& [text, expected] : cases) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}, text.size() + 1})
            EXPECT_EQ(digestOf(text, piece), expected) << '"' << text << "\" in pieces of " << piece;
    }
}

// A signature of SHA-256("abc") made by `openssl dgst -sha256 -sign` with a
// test key, checked by both backends (OpenSSL natively, CNG under Windows);
// any change to key, digest or signature must turn it down.
TEST(VerifyEcdsaP256, AcceptsOpenSslsSignatureAndNothingAltered) {
    const auto key = fromHex<kP256PublicKeyLength>(
        "3059301306072a8648ce3d020106082a8648ce3d030107034200042e89ff9fe450f5b0a967c9ce294ba8682c5139d157516d"
        "58eb284c6030e8d4623d00711e0211690a46090b3569e57e60acf9d615f566ecc9a3746fd20dc0b18c");
    const auto digest = fromHex<32>("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const auto signature = fromHex<64>(
        "07bec7362a7f4b247de7a9836b5b60eb46fd26518296e13971e5a69bc630d73d"
        "767627dc6a2f6bad0ef29d911220ecaed52ebf48fa661393e331e9289037fdbb");
    EXPECT_TRUE(verifyEcdsaP256(key, digest, signature));

    for (std::size_t i : {std::size_t{0}, std::size_t{31}}) {
        auto altered = digest;
        altered[i] ^= 0x01;
        EXPECT_FALSE(verifyEcdsaP256(key, altered, signature)) << "digest byte " << i;
    }
    for (std::size_t i : {std::size_t{0}, std::size_t{31}, std::size_t{32}, std::size_t{63}}) {
        auto altered = signature;
        altered[i] ^= 0x80;
        EXPECT_FALSE(verifyEcdsaP256(key, digest, altered)) << "signature byte " << i;
    }
    // 20: the curve's identifier; 90: the point's last byte, which leaves it
    // off the curve.
    for (std::size_t i : {std::size_t{20}, std::size_t{90}}) {
        auto altered = key;
        altered[i] ^= 0x01;
        EXPECT_FALSE(verifyEcdsaP256(altered, digest, signature)) << "key byte " << i;
    }
    // r and s of 0, and of all ones (beyond the curve's order).
    EXPECT_FALSE(verifyEcdsaP256(key, digest, {}));
    std::array<std::uint8_t, 64> ones;
    ones.fill(0xff);
    EXPECT_FALSE(verifyEcdsaP256(key, digest, ones));
}

}  // namespace
}  // namespace tarnwick::platform
