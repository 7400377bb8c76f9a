#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "extract/Mswin/Text.h"
#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

extern char** environ;

namespace pakloom::test {
namespace {

// The tool's exit status for these arguments.
int RunTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PAKLOOM_EXTRACT_TOOL);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t process = 0;
    if (posix_spawn(&process, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(process, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A destination that is not UTF-8 would reach the library as another
// folder's name: the tool refuses it and extracts nothing.
TEST(ExtractToolTest, ArgumentsThatAreNotTextAreRefused) {
    const tarnwick::test::ScratchDir scratch;
    const std::string engine = Mswin::Utf16ToUtf8(EnginePath());
    const std::string archive = Mswin::Utf16ToUtf8(ArchivePath("tree.7z"));
    EXPECT_EQ(RunTool({engine, archive, scratch.path().string() + "/out-\xFF"}), 1);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));

    EXPECT_EQ(RunTool({engine, archive, scratch.path().string() + "/out-ü"}), 0);
    EXPECT_EQ(FileText(scratch.path() / "out-ü" / "a" / "b" / "x.txt"), "hello\n");
}

}  // namespace
}  // namespace pakloom::test
