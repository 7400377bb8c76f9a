#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "extract/Mswin/ErrorMessage.h"

namespace {

using ::testing::EndsWith;
using ::testing::Not;
using ::testing::StartsWith;

TEST(ErrorMessageTest, KnownCodeIsTheSystemSentenceAndTheDecimalCode) {
    const std::string message = Mswin::GetErrorMessage(2);
    EXPECT_THAT(message, EndsWith(" (2)"));
    EXPECT_THAT(message, Not(StartsWith("Error: 0x")));
    EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
    EXPECT_GT(message.size(), 4u);
}

TEST(ErrorMessageTest, UnknownCodeFallsBackToHexadecimal) {
    EXPECT_EQ(Mswin::GetErrorMessage(0x20001234u), "Error: 0x20001234 (536875572)");
}

TEST(ErrorMessageTest, ErrorsBecomeEngineResults) {
    EXPECT_EQ(Mswin::ResultFromError(0), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(Mswin::ResultFromError(2)), 0x80070002u);
    EXPECT_EQ(static_cast<std::uint32_t>(Mswin::ResultFromError(0x12345u)), 0x80072345u);
    EXPECT_EQ(static_cast<std::uint32_t>(Mswin::ResultFromError(0x80004005u)), 0x80004005u);
}

TEST(ErrorMessageTest, LastErrorIsPerThreadAndRestorable) {
    Mswin::RestoreLastError(5);
    EXPECT_EQ(Mswin::LastError(), 5u);
}

}  // namespace
