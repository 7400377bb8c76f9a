#include "installer/ui/UrlOpening.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RecordedNotices.h"

namespace tarnwick::ui {
namespace {

using Alert = test::RecordedNotices::Alert;

// Stands in for the shell: records what it is asked to open and answers
// with a chosen result.
class RecordedShell {
public:
    explicit RecordedShell(INT_PTR result) {
        previous_ = setShellOpener([this, result](const char* address) {
            opened_.push_back(address);
            return result;
        });
    }
    ~RecordedShell() { setShellOpener(previous_); }
    const std::vector<std::string>& opened() const { return opened_; }

private:
    std::vector<std::string> opened_;
    ShellOpener previous_;
};

TEST(OpenUrl, CompletesAndOpensWithoutAlertWhenTheShellSucceeds) {
    const test::RecordedNotices notices;
    const RecordedShell shell(33);
    openUrl("www.example.org");
    openUrl("ftp.example.org");
    openUrl("someone@example.org");
    openUrl("HTTPS://Example.org/A");
    EXPECT_EQ(shell.opened(),
              (std::vector<std::string>{"http://www.example.org", "ftp://ftp.example.org",
                                        "mailto:someone@example.org", "HTTPS://Example.org/A"}));
    EXPECT_TRUE(notices.alerts().empty());
}

TEST(OpenUrl, EachWayOfOpeningReportsItsOwnFailure) {
    const test::RecordedNotices notices;
    const RecordedShell shell(32);  // 32 and below are failures
    openUrl("ftp.example.org");
    openUrl("www.example.org");
    openUrl("a@b.org");
    EXPECT_EQ(notices.alerts(), (std::vector<Alert>{
                                    {"Unable to Open URL", "Tarnwick was unable to open the URL."},
                                    {"Unable to Open Browser",
                                     "Tarnwick was unable to open your web browser. Your web browser may not "
                                     "be installed correctly."},
                                    {"Unable to Email Application",
                                     "Tarnwick was unable to open your email application. Your email "
                                     "application may not be installed "
                                     "correctly."},
                                }));
}

}  // namespace
}  // namespace tarnwick::ui
