#include <gtest/gtest.h>

#include "installer/ui/logic/FontSize.h"
#include "installer/ui/logic/PortText.h"

namespace tarnwick::ui {
namespace {

TEST(PortField, ReadsTheLeadingNumberKeepingItsLow16Bits) {
    EXPECT_EQ(parsePort("8080"), 8080);
    EXPECT_EQ(parsePort("8080x"), 8080);
    EXPECT_EQ(parsePort("x8080"), 0);
    EXPECT_EQ(parsePort("70000"), 4464);
    EXPECT_EQ(parsePort("65536"), 0);
    EXPECT_EQ(parsePort(""), 0);
    EXPECT_EQ(parsePort(nullptr), 0);
    EXPECT_EQ(parsePort("  1080"), 1080) << "leading blanks are skipped";
    EXPECT_EQ(parsePort("+81"), 81);
    EXPECT_EQ(parsePort("-1"), 65535) << "a negative number wraps like an unsigned conversion";
    EXPECT_EQ(parsePort("99999999999999999999"), parsePort("99999999999999999999")) << "stays defined";
}

TEST(PortField, ShowsZeroAsAnEmptyField) {
    EXPECT_EQ(formatPort(0), "");
    EXPECT_EQ(formatPort(3128), "3128");
    EXPECT_EQ(formatPort(65535), "65535");
}

TEST(PointSize, RoundsLikeMulDivAndIsNegative) {
    EXPECT_EQ(pointsToHeightAt(8, 96), -11);
    EXPECT_EQ(pointsToHeightAt(8, 120), -13);
    EXPECT_EQ(pointsToHeightAt(9, 96), -12);
    EXPECT_EQ(pointsToHeightAt(8, 144), -16);
    EXPECT_EQ(pointsToHeightAt(0, 96), 0);
}

}  // namespace
}  // namespace tarnwick::ui
