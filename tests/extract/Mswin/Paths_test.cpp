#include <gtest/gtest.h>

#include "extract/Mswin/Paths.h"

namespace {

std::u16string Sep() {
    return std::u16string(1, Mswin::PathSeparator());
}

TEST(PathsTest, AppendInsertsOneSeparatorOnlyWhereNeeded) {
    EXPECT_EQ(Mswin::AppendPath(u"", u"a"), u"a");
    EXPECT_EQ(Mswin::AppendPath(u"d", u"a"), u"d" + Sep() + u"a");
    EXPECT_EQ(Mswin::AppendPath(u"d" + Sep(), u"a"), u"d" + Sep() + u"a");
    EXPECT_EQ(Mswin::AppendPath(u"d", Sep() + u"a"), u"d" + Sep() + u"a");
}

TEST(PathsTest, RemoveFilenameKeepsTheFolder) {
    EXPECT_EQ(Mswin::RemoveFilename(u"d" + Sep() + u"e" + Sep() + u"f.txt"), u"d" + Sep() + u"e");
    EXPECT_EQ(Mswin::RemoveFilename(u"f.txt"), u"");
    EXPECT_EQ(Mswin::RemoveFilename(Sep() + u"f.txt"), Sep());
}

TEST(PathsTest, ItemPathsThatLeaveTheFolder) {
    EXPECT_TRUE(Mswin::LeavesFolder(u".."));
    EXPECT_TRUE(Mswin::LeavesFolder(u".." + Sep() + u"x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"a" + Sep() + u".." + Sep() + u".." + Sep() + u"x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"a/../../x"));
    EXPECT_TRUE(Mswin::LeavesFolder(Sep() + u"etc" + Sep() + u"x"));

    EXPECT_FALSE(Mswin::LeavesFolder(u"a" + Sep() + u"b.txt"));
    EXPECT_FALSE(Mswin::LeavesFolder(u"..a" + Sep() + u"b"));
    EXPECT_FALSE(Mswin::LeavesFolder(u"." + Sep() + u"x"));
}

}  // namespace
