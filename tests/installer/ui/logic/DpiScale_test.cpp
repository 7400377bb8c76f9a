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

TEST(ProgressLayout, IsTheDesignAt96Dpi) {
    const ProgressLayout layout = progressLayout(96);
    EXPECT_EQ(layout.clientWidth, 350);
    EXPECT_EQ(layout.clientHeight, 70);
    EXPECT_EQ(layout.statusLine, (PixelRect{20, 12, 330, 28}));
    EXPECT_EQ(layout.bar, (PixelRect{20, 36, 330, 52}));
}

TEST(ProgressLayout, GrowsByHalfAt144Dpi) {
    const ProgressLayout layout = progressLayout(144);
    EXPECT_EQ(layout.clientWidth, 525);
    EXPECT_EQ(layout.clientHeight, 105);
    EXPECT_EQ(layout.statusLine, (PixelRect{30, 18, 495, 42}));
    EXPECT_EQ(layout.bar, (PixelRect{30, 54, 495, 78}));
}

TEST(ProgressLayout, KeepsItsProportionsAtOddResolutions) {
    // 125 %: the edges fall on half pixels and round the same way, so the
    // line and the bar stay as wide as each other and inside the client.
    for (unsigned dpi : {120u, 168u, 192u, 240u}) {
        const ProgressLayout layout = progressLayout(dpi);
        EXPECT_EQ(layout.statusLine.left, layout.bar.left) << dpi;
        EXPECT_EQ(layout.statusLine.right, layout.bar.right) << dpi;
        EXPECT_LT(layout.statusLine.bottom, layout.bar.top) << dpi;
        EXPECT_LE(layout.bar.right, layout.clientWidth) << dpi;
        EXPECT_LE(layout.bar.bottom, layout.clientHeight) << dpi;
    }
}

}  // namespace
}  // namespace tarnwick::ui
