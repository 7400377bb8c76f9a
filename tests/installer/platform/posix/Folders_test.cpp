#include "installer/platform/Folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/ScratchDir.h"

namespace tarnwick::platform {
namespace {

// Sets an environment variable (or unsets it, for none) while it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* previous = std::getenv(name)) previous_ = previous;
        set(value);
    }
    ~ScopedVariable() { set(previous_); }

private:
    void set(const std::optional<std::string>& value) {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> previous_;
};

// XDG_DATA_HOME counts only when absolute, as the XDG rules say; otherwise
// the folder is under HOME; without either there is none.
TEST(UserDataFolder, FollowsXdgDataHomeThenHome) {
    const test::ScratchDir scratch;
    const std::string xdg = scratch.file("xdg/data");
    const std::string home = scratch.file("home");
    const struct {
        std::optional<std::string> xdgDataHome;
        std::optional<std::string> home;
        std::string expected;
    } cases[] = {
        {xdg, home, xdg + "/"},
        {xdg + "/", std::nullopt, xdg + "/"},
        {"relative/data", home, home + "/.local/share/"},
        {"", home, home + "/.local/share/"},
        {std::nullopt, home, home + "/.local/share/"},
        {std::nullopt, "", ""},
        {std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const ScopedVariable dataHome("XDG_DATA_HOME", c.xdgDataHome);
        const ScopedVariable homeFolder("HOME", c.home);
        EXPECT_EQ(userDataFolder(), c.expected)
            << c.xdgDataHome.value_or("(unset)") << ", " << c.home.value_or("(unset)");
        EXPECT_TRUE(c.expected.empty() || folderExists(c.expected)) << c.expected << ": made when missing";
    }
}

}  // namespace
}  // namespace tarnwick::platform
