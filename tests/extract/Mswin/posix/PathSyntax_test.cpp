#include <gtest/gtest.h>

#include "extract/Mswin/Paths.h"

namespace {

// A backslash is part of a POSIX name, so it cannot lead anywhere.
TEST(PosixPathSyntaxTest, BackslashIsAnOrdinaryCharacter) {
    EXPECT_FALSE(Mswin::LeavesFolder(u"..\\x"));
    EXPECT_FALSE(Mswin::LeavesFolder(u"C:x"));
    // Nor are devices, streams or trimmed names anything but names here.
    for (const char16_t* name : {u"NUL", u"a:b", u"x.", u"x "})
        EXPECT_FALSE(Mswin::LeavesFolder(name));
    EXPECT_EQ(Mswin::AppendPath(u"d\\", u"a"), u"d\\/a");
}

}  // namespace
