#include "installer/package/LaunchProgram.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ScratchDir.h"
#include "tests/support/Utf8Names.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Copies the probe program into folder and gives its path.
fs::path placeProbe(const fs::path& folder) {
    const char* build = std::getenv("TARNWICK_BINARY_DIR");
    const fs::path built = fs::path(build ? build : ".") / "tests" / "installer" / "package" /
#ifdef _WIN32
                           "launch_probe.exe";
#else
                           "launch_probe";
#endif
    fs::create_directories(folder);
    const fs::path probe = folder / built.filename();
    fs::copy_file(built, probe, fs::copy_options::overwrite_existing);
    return probe;
}

// The lines the probe wrote (working folder, then arguments), waiting for
// the started program a few seconds at most.
std::vector<std::string> probeReport(const fs::path& folder) {
    const fs::path report = folder / "launch-probe.txt";
    for (int i = 0; i < 200 && !fs::exists(report); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(report);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(LaunchProgram, BarePathStartsTheProgramInItsOwnFolder) {
    test::ScratchDir scratch;
    const fs::path folder = scratch.path() / "Games x";
    const fs::path probe = placeProbe(folder);
    ASSERT_TRUE(launchProgram(probe.string().c_str()));
    const auto report = probeReport(folder);
    ASSERT_EQ(report.size(), 1u);
    EXPECT_TRUE(fs::equivalent(report[0], folder));
}

TEST(LaunchProgram, QuotedPathWithArgumentsRunsTheWholeCommandLine) {
    test::ScratchDir scratch;
    const fs::path folder = scratch.path() / "Program Folder";
    const fs::path probe = placeProbe(folder);
    std::string command = "\"";
    command += probe.string();
    command += "\" /uninstall";
    ASSERT_TRUE(launchProgram(command.c_str()));
    const auto report = probeReport(folder);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_TRUE(fs::equivalent(report[0], folder));
    EXPECT_EQ(report[1], "/uninstall");
}

TEST(LaunchProgram, UnquotedPathWithoutBlanksStillTakesItsArguments) {
    test::ScratchDir scratch;
    const fs::path folder = scratch.path() / "plain";
    const fs::path probe = placeProbe(folder);
    ASSERT_TRUE(launchProgram((probe.string() + " /uninstall").c_str()));
    const auto report = probeReport(folder);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[1], "/uninstall");
}

// Windows reads an unquoted command line by trying each blank as the end of
// the program, shortest first: "...\Program Folder\x.exe /uninstall" would
// start ...\Program.exe when one exists.
TEST(LaunchProgram, UnquotedPathWithBlanksStartsTheWholeProgramOrNothing) {
    test::ScratchDir scratch;
    const fs::path folder = scratch.path() / "Program Folder";
    const fs::path probe = placeProbe(folder);
    fs::rename(placeProbe(scratch.path()), scratch.path() / "Program.exe");
    const std::string command = probe.string() + " /uninstall";
    ASSERT_TRUE(launchProgram(command.c_str()));
    const auto report = probeReport(folder);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_TRUE(fs::equivalent(report[0], folder));
    EXPECT_EQ(report[1], "/uninstall");
    EXPECT_FALSE(fs::exists(scratch.path() / "launch-probe.txt"));

    fs::remove(probe);
    EXPECT_FALSE(launchProgram(command.c_str()));
}

// A program in a folder beyond ASCII starts there, bare and quoted with its
// arguments, and gets that folder as its working folder.
TEST(LaunchProgram, ProgramInAFolderBeyondAsciiStartsThere) {
    test::ScratchDir scratch;
    const fs::path folder = scratch.path() / test::utf8Path("Spiele ü 日本 😀");
    const std::string probe = test::utf8Text(placeProbe(folder));
    ASSERT_TRUE(launchProgram(probe.c_str()));
    auto report = probeReport(folder);
    ASSERT_EQ(report.size(), 1u);
    EXPECT_TRUE(fs::equivalent(test::utf8Path(report[0]), folder)) << report[0];

    fs::remove(folder / "launch-probe.txt");
    ASSERT_TRUE(launchProgram(("\"" + probe + "\" /uninstall").c_str()));
    report = probeReport(folder);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_TRUE(fs::equivalent(test::utf8Path(report[0]), folder)) << report[0];
    EXPECT_EQ(report[1], "/uninstall");
}

TEST(LaunchProgram, MissingProgramReportsFailure) {
    test::ScratchDir scratch;
    EXPECT_FALSE(launchProgram((scratch.path() / "absent.exe").string().c_str()));
    EXPECT_FALSE(launchProgram(""));
}

}  // namespace
}  // namespace tarnwick
