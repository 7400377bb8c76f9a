#include <gtest/gtest.h>

#include <thread>

#include "GuiTesting.h"
#include "installer/core/UserNotice.h"
#include "installer/ui/AlertDialog.h"
#include "installer/ui/AlreadyInstalledDialog.h"
#include "installer/ui/Dpi.h"
#include "installer/ui/Fonts.h"
#include "installer/ui/InstallOptionsDialog.h"
#include "installer/ui/ResourceIds.h"
#include "installer/ui/UserNoticeHandlers.h"

namespace tarnwick::ui {
namespace {

using namespace tarnwick::driver;
using namespace tarnwick::ui::test;

constexpr const char* kInstallCaption = "Tarnwick - Install";
constexpr const char* kConfirmCaption = "Cancel Tarnwick Installation?";
constexpr const char* kInstalledCaption = "Tarnwick - Already Installed";

TEST(InstallOptionsDialog, ShowsTheOptionsAndReadsThemBackOnInstall) {
    InstallOptions options{true, false, true};
    const INT_PTR result =
        runDriven([&] { return InstallOptionsDialog(options).DoModal(); },
                  [] {
                      const HWND dialog = waitForWindow(kInstallCaption);
                      ASSERT_NE(dialog, nullptr);
                      EXPECT_EQ(itemText(dialog, IDC_HEADLINE), "Install Tarnwick");
                      EXPECT_EQ(fontOf(dialog, IDC_HEADLINE), boldDialogFont(windowDpi(dialog))->handle());
                      EXPECT_EQ(itemText(dialog, IDC_DESKTOP_SHORTCUT), "Create a Tarnwick &desktop icon");
                      EXPECT_TRUE(isChecked(dialog, IDC_DESKTOP_SHORTCUT));
                      EXPECT_FALSE(isChecked(dialog, IDC_QUICK_LAUNCH_SHORTCUT));
                      EXPECT_TRUE(isChecked(dialog, IDC_START_WITH_WINDOWS));
                      // 128 pixels and a margin of 4 at 96 dpi, grown with
                      // the dialog's resolution.
                      const int dpi = static_cast<int>(windowDpi(dialog));
                      const int side = MulDiv(128, dpi, 96) + MulDiv(4, dpi, 96);
                      RECT image{};
                      GetClientRect(GetDlgItem(dialog, IDC_PRODUCT_IMAGE), &image);
                      EXPECT_EQ(image.right, side);
                      EXPECT_EQ(image.bottom, side);
                      screenshot(dialog, "install-options");
                      click(dialog, IDC_DESKTOP_SHORTCUT);
                      click(dialog, IDC_QUICK_LAUNCH_SHORTCUT);
                      click(dialog, IDOK);
                      EXPECT_TRUE(waitForWindowGone(dialog));
                  });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(options.desktopShortcut);
    EXPECT_TRUE(options.quickLaunchShortcut);
    EXPECT_TRUE(options.startWithWindows);
}

TEST(InstallOptionsDialog, CancelAsksFirstAndOnlyYesCloses) {
    InstallOptions options{false, true, false};
    const INT_PTR result =
        runDriven([&] { return InstallOptionsDialog(options).DoModal(); },
                  [] {
                      const HWND dialog = waitForWindow(kInstallCaption);
                      ASSERT_NE(dialog, nullptr);

                      click(dialog, IDCANCEL);
                      HWND confirm = waitForWindow(kConfirmCaption);
                      ASSERT_NE(confirm, nullptr);
                      EXPECT_EQ(itemText(confirm, IDC_HEADLINE), "Tarnwick has not been installed.");
                      EXPECT_EQ(fontOf(confirm, IDC_HEADLINE), boldDialogFont(windowDpi(confirm))->handle());
                      EXPECT_EQ(itemText(confirm, IDC_TEXT), "Are you sure you want to quit the installer?");
                      EXPECT_EQ(itemText(confirm, IDOK), "&Yes");
                      EXPECT_EQ(itemText(confirm, IDCANCEL), "&No");
                      screenshot(confirm, "cancel-confirmation");

                      pressKey(confirm, VK_RETURN);  // the default: No
                      ASSERT_TRUE(waitForWindowGone(confirm));
                      settle(dialog);
                      EXPECT_TRUE(IsWindowVisible(dialog)) << "No leaves the options open";

                      pressKey(dialog, VK_ESCAPE);
                      confirm = waitForWindow(kConfirmCaption);
                      ASSERT_NE(confirm, nullptr) << "Escape asks instead of closing";
                      PostMessageA(confirm, WM_CLOSE, 0, 0);
                      ASSERT_TRUE(waitForWindowGone(confirm));
                      settle(dialog);
                      EXPECT_TRUE(IsWindowVisible(dialog)) << "closing the question leaves the options open";

                      PostMessageA(dialog, WM_CLOSE, 0, 0);
                      confirm = waitForWindow(kConfirmCaption);
                      ASSERT_NE(confirm, nullptr) << "the close box asks too";
                      click(confirm, IDOK);
                      EXPECT_TRUE(waitForWindowGone(dialog));
                  });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(options.quickLaunchShortcut) << "a cancelled dialog leaves the options alone";
}

// Launch, Remove and Cancel, in the ways a person gives them.
TEST(AlreadyInstalledDialog, GivesOneThreeOrTwo) {
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        INT_PTR expected;
    };
    const Case cases[] = {
        {"Launch", [](HWND dialog) { pressKey(dialog, VK_RETURN); }, 1},
        {"Remove", [](HWND dialog) { click(dialog, IDC_RETRY_OR_REMOVE); }, 3},
        {"Cancel", [](HWND dialog) { click(dialog, IDCANCEL); }, 2},
        {"Escape", [](HWND dialog) { pressKey(dialog, VK_ESCAPE); }, 2},
    };
    bool screenshotTaken = false;
    for (const Case& c : cases) {
        const INT_PTR result = runDriven(
            [] { return AlreadyInstalledDialog().DoModal(); },
            [&] {
                const HWND dialog = waitForWindow(kInstalledCaption);
                ASSERT_NE(dialog, nullptr);
                if (!screenshotTaken) {
                    EXPECT_EQ(itemText(dialog, IDC_HEADLINE), "Tarnwick is already installed");
                    EXPECT_EQ(fontOf(dialog, IDC_HEADLINE), boldDialogFont(windowDpi(dialog))->handle());
                    screenshot(dialog, "already-installed");
                    screenshotTaken = true;
                }
                c.act(dialog);
                EXPECT_TRUE(waitForWindowGone(dialog));
            });
        EXPECT_EQ(result, c.expected) << c.name;
    }
}

TEST(Alert, ShowsTitleAsCaptionAndHeadlineThroughTheNoticeSeam) {
    installUserNoticeHandlers();
    constexpr const char* kTitle = "Unable to Open URL";
    constexpr const char* kText = "Tarnwick was unable to open the URL.";
    const INT_PTR result = runDriven(
        [&] {
            alert(kTitle, kText);
            return INT_PTR{0};
        },
        [&] {
            const HWND dialog = waitForWindow(kTitle);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(itemText(dialog, IDC_HEADLINE), kTitle);
            EXPECT_EQ(fontOf(dialog, IDC_HEADLINE), boldDialogFont(windowDpi(dialog))->handle());
            EXPECT_EQ(itemText(dialog, IDC_TEXT), kText);
            EXPECT_EQ(itemText(dialog, IDOK), "OK");
            screenshot(dialog, "alert");
            pressKey(dialog, VK_RETURN);
            EXPECT_TRUE(waitForWindowGone(dialog));
        });
    EXPECT_EQ(result, 0);
}

TEST(Alert, CanBeShownFromAWorkerThread) {
    std::thread worker([] { showAlert("From the worker", "Shown while the first thread drives."); });
    const HWND dialog = waitForWindow("From the worker");
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
        EXPECT_EQ(itemText(dialog, IDC_TEXT), "Shown while the first thread drives.");
        click(dialog, IDOK);
        EXPECT_TRUE(waitForWindowGone(dialog));
    }
    worker.join();
}

TEST(ModalDialog, MissingResourceGivesMinusOneAndShowsNothing) {
    CModalDialog missing(999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.handle(), nullptr);
}

}  // namespace
}  // namespace tarnwick::ui
