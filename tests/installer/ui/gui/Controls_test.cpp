#include <windows.h>
// After windows.h, which it needs.
#include <uxtheme.h>

#include <gtest/gtest.h>

#include "GuiTesting.h"
#include "installer/ui/Dpi.h"
#include "installer/ui/IconList.h"
#include "installer/ui/LargeIcon.h"
#include "installer/ui/ProgressWindow.h"
#include "installer/ui/ThemeLibrary.h"
#include "installer/ui/framework/Gdi.h"

namespace tarnwick::ui {
namespace {

using namespace tarnwick::driver;
using namespace tarnwick::ui::test;

// A white 32-bit canvas to blend icons onto, its pixels readable.
class Canvas {
public:
    explicit Canvas(int size) : size_(size) {
        void* pixels = nullptr;
        EXPECT_TRUE(bitmap_.createDib(size, size, 32, true, &pixels));
        EXPECT_TRUE(dc_.select(bitmap_));
        pixels_ = static_cast<std::uint32_t*>(pixels);
        for (int i = 0; pixels_ != nullptr && i < size * size; ++i)
            pixels_[i] = 0x00FFFFFF;
    }
    HDC dc() const { return dc_.handle(); }
    std::uint32_t at(int x, int y) const {
        GdiFlush();
        return pixels_[y * size_ + x] & 0x00FFFFFF;
    }

private:
    int size_;
    // The bitmap outlives the DC it is selected into.
    CBitmap bitmap_;
    CDC dc_{nullptr};
    std::uint32_t* pixels_ = nullptr;
};

TEST(IconList, LoadsThePackedProductImage) {
    const IconList icons(kProductImages, 128);
    EXPECT_EQ(icons.imageSize(), 128u);
    EXPECT_EQ(icons.imageCount(), 1u);

    Canvas canvas(128);
    icons.draw(canvas.dc(), RECT{0, 0, 128, 128}, 0, false);
    EXPECT_EQ(canvas.at(0, 0), 0xFFFFFFu) << "the transparent corner leaves the background";
    const std::uint32_t middle = canvas.at(64, 110);
    EXPECT_NE(middle, 0xFFFFFFu) << "the opaque tile covers it";
    EXPECT_GT(middle & 0xFF, (middle >> 16) & 0xFF) << "with the product's blue";
}

TEST(IconList, ProductImageResourceIsPackedWithTheUsualProperties) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kProductImages), "ICONLIST");
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    const DWORD length = SizeofResource(module, found);
    ASSERT_GT(length, 13u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 128) << "little-endian image size";
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[8], 93) << "LZMA properties lc 3, lp 0, pb 2";
    EXPECT_LT(length, 8u + 128 * 128 * 4) << "packed, not plain";
}

TEST(IconList, DrawsNothingPastTheEndOrWithoutResource) {
    const IconList icons(kProductImages, 128);
    Canvas canvas(128);
    icons.draw(canvas.dc(), RECT{0, 0, 128, 128}, 1, false);
    EXPECT_EQ(canvas.at(64, 110), 0xFFFFFFu);

    const IconList missing(999, 128);
    EXPECT_EQ(missing.imageCount(), 0u);
    missing.draw(canvas.dc(), RECT{0, 0, 128, 128}, 0, false);
    EXPECT_EQ(canvas.at(64, 110), 0xFFFFFFu);
}

TEST(IconList, DimmedImagesAreHalfTransparent) {
    const IconList icons(kProductImages, 128);
    Canvas full(128);
    Canvas dimmed(128);
    icons.draw(full.dc(), RECT{0, 0, 128, 128}, 0, false);
    icons.draw(dimmed.dc(), RECT{0, 0, 128, 128}, 0, true);
    const int fullRed = static_cast<int>((full.at(64, 110) >> 16) & 0xFF);
    const int dimmedRed = static_cast<int>((dimmed.at(64, 110) >> 16) & 0xFF);
    EXPECT_GT(dimmedRed, fullRed) << "more of the white shows through";
}

// Grown to twice its size, an image that was only stretched would show
// every pixel as a 2 x 2 block; resampled, its edges and shading blend.
TEST(IconList, GrowsTheImageSmoothly) {
    const IconList icons(kProductImages, 128);
    Canvas canvas(256);
    icons.draw(canvas.dc(), RECT{0, 0, 256, 256}, 0, false);
    EXPECT_EQ(canvas.at(0, 0), 0xFFFFFFu) << "the transparent corner";
    const std::uint32_t middle = canvas.at(128, 220);
    EXPECT_GT(middle & 0xFF, (middle >> 16) & 0xFF) << "the product's blue, where it is at 128 pixels";
    int blendedBlocks = 0;
    for (int y = 0; y < 256; y += 2) {
        for (int x = 0; x < 256; x += 2) {
            const std::uint32_t corner = canvas.at(x, y);
            if (canvas.at(x + 1, y) != corner || canvas.at(x, y + 1) != corner ||
                canvas.at(x + 1, y + 1) != corner)
                ++blendedBlocks;
        }
    }
    EXPECT_GT(blendedBlocks, 500);
}

// Reads what the bar shows on the screen.
COLORREF pixelOf(HWND window, int x, int y) {
    return GetPixel(CClientDC(window).handle(), x, y);
}

// The classic measures are 8-pixel chunks, 2-pixel gaps and a 2-pixel edge
// at 96 dpi, grown with the bar's resolution.
TEST(ProgressBar, ClassicBarDrawsHalfAsChunksOfItsResolution) {
    ProgressWindow window;
    window.setTitle("Downloading latest Tarnwick update...");
    window.setStatusText("Downloading new update...");
    window.show();
    const ProgressBar& bar = window.progressBar();
    // Without a theme for the bar (as on a system without visual styles)
    // it draws the classic look.
    SetWindowTheme(bar.handle(), L" ", L" ");
    SendMessageA(bar.handle(), WM_THEMECHANGED, 0, 0);
    if (bar.themed()) GTEST_SKIP() << "the bar cannot be taken off the theme here";
    const int dpi = static_cast<int>(windowDpi(bar.handle()));
    const int edge = MulDiv(2, dpi, 96);
    RECT client{};
    GetClientRect(bar.handle(), &client);
    const ChunkLayout layout = bar.layout();
    EXPECT_EQ(layout.contentLeft, edge);
    EXPECT_EQ(layout.contentRight, client.right - edge);
    EXPECT_EQ(layout.chunkWidth, MulDiv(8, dpi, 96));
    EXPECT_EQ(layout.gapWidth, MulDiv(2, dpi, 96));

    EXPECT_TRUE(pumpUntil([&] { return bar.phase() >= 3; }, 2000));
    screenshot(window.handle(), "progress-classic-busy");

    window.setProgress(1, 2);
    paintOwnWindow(window.handle());
    const COLORREF chunk = GetSysColor(COLOR_ACTIVECAPTION);
    const HWND barWindow = bar.handle();
    const int middle = client.bottom / 2;
    const auto chunks = filledChunks(layout, 1, 2);
    ASSERT_GE(chunks.size(), 2u);
    EXPECT_EQ(pixelOf(barWindow, chunks[0].left, middle), chunk);
    EXPECT_NE(pixelOf(barWindow, chunks[0].right, middle), chunk) << "the gap between chunks";
    EXPECT_EQ(pixelOf(barWindow, chunks.back().right - 1, middle), chunk) << "the last chunk";
    EXPECT_NE(pixelOf(barWindow, chunks.back().left + layout.step(), middle), chunk) << "nothing after it";

    window.setProgress(512, 2048);
    screenshot(window.handle(), "progress-classic-512-of-2048");
}

}  // namespace
}  // namespace tarnwick::ui
