#include "installer/net/HttpSyntax.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// Each case: the text, and the number it must give, or none when refused.
template <typename Number>
using Cases = std::vector<std::pair<std::string, std::optional<Number>>>;

template <typename Number, typename Parse>
void expectParses(Parse parse, const Cases<Number>& cases) {
    for (const auto& [text, expected] : cases) {
        Number value = 7;
        const bool parsed = parse(text.c_str(), value);
        EXPECT_EQ(parsed, expected.has_value()) << '"' << text << '"';
        EXPECT_EQ(value, expected.value_or(7)) << '"' << text << "\": a refusal leaves the result alone";
    }
}

TEST(HttpSyntax, StatusIsExactlyThreeDigitsAfterTheFirstSpace) {
    const Cases<int> statuses = {
        {"HTTP/1.1 206 Partial Content\r\n", 206},
        {"HTTP/1.0 404\r\n", 404},
        {"HTTP/1.1 200", 200},
        {"HTTP/1.1 0 OK\r\n", std::nullopt},
        {"HTTP/1.1 20 OK\r\n", std::nullopt},
        {"HTTP/1.1 2000 OK\r\n", std::nullopt},
        {"HTTP/1.1 -404 Gone\r\n", std::nullopt},
        {"HTTP/1.1 +200 OK\r\n", std::nullopt},
        {"HTTP/1.1  200 OK\r\n", std::nullopt},
        {"HTTP/1.1 99999999999\r\n", std::nullopt},
        {"HTTP/1.1 200OK\r\n", std::nullopt},
        {"HTTP/1.1\r\n", std::nullopt},
    };
    expectParses(parseStatusCode, statuses);
}

TEST(HttpSyntax, LengthsAreDigitsThatFitThirtyTwoBits) {
    const Cases<std::uint32_t> lengths = {
        {"1234\r\n", 1234u},
        {"0\r\n", 0u},
        {"4294967295 \t\r\n", 4294967295u},
        {"4294967296\r\n", std::nullopt},
        {"99999999999999999999\r\n", std::nullopt},
        {"+5\r\n", std::nullopt},
        {"-1\r\n", std::nullopt},
        {"5 5\r\n", std::nullopt},
        {" 5\r\n", std::nullopt},
        {"0x10\r\n", std::nullopt},
        {"\r\n", std::nullopt},
    };
    expectParses(parseDecimalLength, lengths);
    const Cases<std::uint32_t> ranges = {
        {" bytes 5000-5003/5004\r\n", 5000u}, {"BYTES 0-9/10\r\n", 0u},
        {" bytes -5-9/10\r\n", std::nullopt}, {" bytes 4294967296-5/6\r\n", std::nullopt},
        {" bytes */10\r\n", std::nullopt},    {" items 5-9/10\r\n", std::nullopt},
    };
    expectParses(parseRangeStart, ranges);
}

TEST(HttpSyntax, ChunkSizeLinesAreWholeHexadecimalNumbers) {
    const Cases<std::uint32_t> sizeLines = {
        {"1a2B\r\n", 0x1a2bu},       {"0\r\n", 0u},
        {"10;name=value\r\n", 16u},  {"10 ; x\r\n", 16u},
        {"ffffffff\n", 0xffffffffu}, {"100000000\r\n", std::nullopt},
        {"-1\r\n", std::nullopt},    {"zz\r\n", std::nullopt},
        {"1 2\r\n", std::nullopt},   {"\r\n", std::nullopt},
        {"10", std::nullopt},  // cut by its buffer
    };
    expectParses(parseChunkSizeLine, sizeLines);
}

}  // namespace
}  // namespace tarnwick
