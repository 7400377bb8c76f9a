#include "installer/ui/logic/DpiScale.h"

#include <gtest/gtest.h>

namespace tarnwick::ui {
namespace {

TEST(DpiScale, RoundsHalfAwayFromZeroAsTheSystemDoes) {
    EXPECT_EQ(scaleForDpi(350, 96), 350);
    EXPECT_EQ(scaleForDpi(350, 144), 525);
    EXPECT_EQ(scaleForDpi(2, 120), 3) << "2.5";
    EXPECT_EQ(scaleForDpi(5, 120), 6) << "6.25";
    EXPECT_EQ(scaleForDpi(-2, 120), -3);
    EXPECT_EQ(scaleForDpi(128, 72), 96);
    EXPECT_EQ(scaleForDpi(20'000'000, 192), 40'000'000) << "the product passes 32 bits";
}

// The 96-dpi design, and exactly half as large again at 150 %.
TEST(ProgressLayout, IsTheDesignAt96DpiAndGrowsByHalfAt144) {
    const ProgressLayout design = progressLayout(96);
    EXPECT_EQ(design.clientWidth, 350);
    EXPECT_EQ(design.clientHeight, 70);
    EXPECT_EQ(design.statusLine, (PixelRect{20, 12, 330, 28}));
    EXPECT_EQ(design.bar, (PixelRect{20, 36, 330, 52}));

    const ProgressLayout large = progressLayout(144);
    EXPECT_EQ(large.clientWidth, 525);
    EXPECT_EQ(large.clientHeight, 105);
    EXPECT_EQ(large.statusLine, (PixelRect{30, 18, 495, 42}));
    EXPECT_EQ(large.bar, (PixelRect{30, 54, 495, 78}));
}

}  // namespace
}  // namespace tarnwick::ui
