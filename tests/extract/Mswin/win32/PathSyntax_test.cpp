#include <gtest/gtest.h>

#include "extract/Mswin/Paths.h"

namespace {

TEST(WindowsPathSyntaxTest, DrivesAndNetworkPathsLeaveTheFolder) {
    EXPECT_TRUE(Mswin::LeavesFolder(u"C:x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"C:\\x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"\\\\server\\share\\x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"a\\..\\..\\x"));
}

TEST(WindowsPathSyntaxTest, DriveColonAndEitherSlashEndAFolder) {
    EXPECT_EQ(Mswin::AppendPath(u"C:", u"a"), u"C:a");
    EXPECT_EQ(Mswin::AppendPath(u"d/", u"a"), u"d/a");
    EXPECT_EQ(Mswin::RemoveFilename(u"C:\\f.txt"), u"C:\\");
}

}  // namespace
