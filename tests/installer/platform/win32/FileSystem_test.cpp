#include "installer/platform/FileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/Utf8Names.h"

namespace tarnwick::platform {
namespace {

// The system locale's ANSI code page, which the process's own no longer
// says once the manifest makes that UTF-8.
UINT systemCodePage() {
    UINT codePage = 0;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t));
    return codePage;
}

// Older packages carry names in the packing machine's ANSI code page; they
// install under the names that code page gives them, as they always did.
TEST(EntryName, NameThatIsNotUtf8IsReadInTheSystemsAnsiCodePage) {
    if (systemCodePage() != 1252) GTEST_SKIP() << "the system's code page is " << systemCodePage();
    char name[32] = "Ordner\\";
    std::strcat(name, test::kWesternAnsiName);
    ASSERT_TRUE(toNativeEntryName(name, sizeof name));
    EXPECT_EQ(std::string(name), "Ordner\\café.txt");

    char quotes[16] =
        "\x93"
        "A\x94 \x80";
    ASSERT_TRUE(toNativeEntryName(quotes, sizeof quotes));
    EXPECT_EQ(std::string(quotes),
              "\xE2\x80\x9C"
              "A\xE2\x80\x9D \xE2\x82\xAC")
        << "“A” €";
}

TEST(EntryName, NameThatGrowsBeyondItsRoomIsRefusedUnchanged) {
    if (systemCodePage() != 1252) GTEST_SKIP() << "the system's code page is " << systemCodePage();
    // Each byte of the Western code page beyond ASCII takes two or three in
    // UTF-8.
    char name[8] = "\xE9\xE9\xE9\xE9";
    EXPECT_FALSE(toNativeEntryName(name, sizeof name));
    EXPECT_EQ(std::string(name), "\xE9\xE9\xE9\xE9");
    char fits[9] = "\xE9\xE9\xE9\xE9";
    EXPECT_TRUE(toNativeEntryName(fits, sizeof fits));
}

}  // namespace
}  // namespace tarnwick::platform
