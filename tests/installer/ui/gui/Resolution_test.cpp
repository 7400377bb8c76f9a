#include <gtest/gtest.h>

#include <cstdlib>

#include "GuiTesting.h"
#include "installer/ui/AlreadyInstalledDialog.h"
#include "installer/ui/Dpi.h"
#include "installer/ui/Fonts.h"
#include "installer/ui/FrameWndEx.h"
#include "installer/ui/ResourceIds.h"

namespace tarnwick::ui {
namespace {

using namespace tarnwick::driver;
using namespace tarnwick::ui::test;

LOGFONTA describe(HFONT font) {
    LOGFONTA description{};
    EXPECT_NE(GetObjectA(font, sizeof description, &description), 0);
    return description;
}

// Each run of the suite sets its display's resolution (TARNWICK_DPI). A
// prefix that did not take it would run the suite at 96 dpi once more and
// prove nothing about the other.
TEST(Resolution, IsTheOneTheRunAskedFor) {
    const char* asked = std::getenv("TARNWICK_DPI");
    if (asked == nullptr) GTEST_SKIP() << "run without a resolution of its own";
    const auto dpi = static_cast<UINT>(std::strtoul(asked, nullptr, 10));
    EXPECT_EQ(windowDpi(nullptr), dpi) << "the screen";

    // The manifest declares the program aware of the resolution: its
    // windows report the display's, not the 96 dpi of a program that the
    // system scales as a picture.
    auto* frame = new CFrameWndEx(nullptr);  // deletes itself with its window
    frame->createFrame(0, RECT{0, 0, 100, 50}, "Resolution", true);
    ASSERT_NE(frame->handle(), nullptr);
    EXPECT_EQ(windowDpi(frame->handle()), dpi) << "a window of ours";
    DestroyWindow(frame->handle());
}

TEST(Fonts, BoldDialogFontIsOnePerResolution) {
    const UINT dpi = windowDpi(nullptr);
    CFont* font = boldDialogFont(dpi);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(boldDialogFont(dpi), font) << "one font for the whole process";
    const LOGFONTA description = describe(font->handle());
    EXPECT_STREQ(description.lfFaceName, "MS Shell Dlg 2");
    EXPECT_EQ(description.lfHeight, -MulDiv(8, static_cast<int>(dpi), 72)) << "8 points";
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    EXPECT_EQ(description.lfItalic, 0);

    CFont* doubled = boldDialogFont(2 * dpi);
    ASSERT_NE(doubled, nullptr);
    EXPECT_NE(doubled, font);
    EXPECT_EQ(describe(doubled->handle()).lfHeight, -MulDiv(8, static_cast<int>(2 * dpi), 72));
    EXPECT_EQ(boldDialogFont(dpi), font) << "the first is kept";
}

// Moved to a monitor of another resolution, a dialog gets the headline font
// made for it, and the product image fits itself again once the dialog has
// laid its controls out anew. Wine sends neither message, so the test does,
// as the system would.
TEST(ModalDialog, FollowsTheResolutionOfItsMonitor) {
    const INT_PTR result = runDriven(
        [] { return AlreadyInstalledDialog().DoModal(); },
        [] {
            const HWND dialog = waitForWindow("Tarnwick - Already Installed");
            ASSERT_NE(dialog, nullptr);
            const UINT dpi = windowDpi(dialog);
            RECT place{};
            GetWindowRect(dialog, &place);
            SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                         reinterpret_cast<LPARAM>(&place));
            EXPECT_EQ(fontOf(dialog, IDC_HEADLINE), boldDialogFont(2 * dpi)->handle());

            const HWND image = GetDlgItem(dialog, IDC_PRODUCT_IMAGE);
            SetWindowPos(image, nullptr, 0, 0, 30, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageA(image, kDpiChangedAfterParent, 0, 0);
            const int shown = static_cast<int>(windowDpi(image));
            const int side = MulDiv(128, shown, 96) + MulDiv(4, shown, 96);
            RECT size{};
            GetClientRect(image, &size);
            EXPECT_EQ(size.right, side);
            EXPECT_EQ(size.bottom, side);

            SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
            EXPECT_EQ(fontOf(dialog, IDC_HEADLINE), boldDialogFont(dpi)->handle()) << "and back";
            click(dialog, IDCANCEL);
            EXPECT_TRUE(waitForWindowGone(dialog));
        });
    EXPECT_EQ(result, AlreadyInstalledDialog::kCancel);
}

}  // namespace
}  // namespace tarnwick::ui
