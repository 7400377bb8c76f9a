#include <gtest/gtest.h>

#include "extract/Mswin/Paths.h"
#include "extract/Mswin/Text.h"
#include "extract/Mswin/win32/SystemPath.h"

namespace {

TEST(WindowsPathSyntaxTest, DrivesAndNetworkPathsLeaveTheFolder) {
    EXPECT_TRUE(Mswin::LeavesFolder(u"C:x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"C:\\x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"\\\\server\\share\\x"));
    EXPECT_TRUE(Mswin::LeavesFolder(u"a\\..\\..\\x"));
}

TEST(WindowsPathSyntaxTest, NamesWindowsWouldNotKeepLeaveTheFolder) {
    for (const char16_t* path : {u"NUL", u"a\\con", u"Com1.txt", u"lpt9.a.b", u"NUL .txt", u"conin$",
                                 u"CONOUT$.log", u"a\\b:stream", u"x.", u"d\\x ", u"b..\\c"})
        EXPECT_TRUE(Mswin::LeavesFolder(path)) << Mswin::Utf16ToUtf8(path);
    for (const char16_t* path :
         {u"NULL", u"COM0", u"COM10", u"LPT", u"CONIN", u"nul-x", u".\\x", u".x", u"a.b"})
        EXPECT_FALSE(Mswin::LeavesFolder(path)) << Mswin::Utf16ToUtf8(path);
}

TEST(WindowsPathSyntaxTest, DriveColonAndEitherSlashEndAFolder) {
    EXPECT_EQ(Mswin::AppendPath(u"C:", u"a"), u"C:a");
    EXPECT_EQ(Mswin::AppendPath(u"d/", u"a"), u"d/a");
    EXPECT_EQ(Mswin::RemoveFilename(u"C:\\f.txt"), u"C:\\");
}

// Long paths go to the system in the extended form, made absolute with
// backslashes; short ones, and those already in a system form, as they are.
TEST(WindowsPathSyntaxTest, LongPathsTakeTheExtendedForm) {
    const std::u16string name(130, u'n');
    EXPECT_EQ(Mswin::SystemPath(u"C:\\short/x"), L"C:\\short/x");
    EXPECT_EQ(Mswin::SystemPath(u"C:\\" + name + u"/" + name + u"\\..\\x"),
              L"\\\\?\\C:\\" + std::wstring(name.begin(), name.end()) + L"\\x");
    EXPECT_EQ(Mswin::SystemPath(u"\\\\server\\share\\" + name + u"\\" + name),
              L"\\\\?\\UNC\\server\\share\\" + std::wstring(name.begin(), name.end()) + L"\\" +
                  std::wstring(name.begin(), name.end()));
    const std::u16string extended = u"\\\\?\\C:\\" + name + u"\\" + name;
    EXPECT_EQ(Mswin::SystemPath(extended), std::wstring(extended.begin(), extended.end()));
}

}  // namespace
