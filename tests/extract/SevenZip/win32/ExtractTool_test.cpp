#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace {

using namespace pakloom::test;

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// The tool hands its arguments on whole, including characters that the
// ANSI code page cannot hold.
TEST(ExtractToolTest, ArgumentsOutsideTheAnsiCodePageArriveWhole) {
    const tarnwick::test::ScratchDir scratch;
    const std::filesystem::path destination = scratch.path() / u8"목적-😀";
    std::wstring command = L"\"" + Wide(NativePath(PAKLOOM_EXTRACT_TOOL)) + L"\" \"" + Wide(EnginePath()) +
                           L"\" \"" + Wide(ArchivePath("tree.7z")) + L"\" \"" + destination.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(FileText(destination / "a" / "b" / "x.txt"), "hello\n");
}

}  // namespace
