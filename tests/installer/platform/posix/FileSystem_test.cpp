#include "installer/platform/FileSystem.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/ScratchDir.h"

namespace tarnwick::platform {
namespace {

// Package entries carry no permissions: a program may be started by whoever
// may read it, as a compiler leaves its programs, and by nobody else.
TEST(MakeStartable, GivesExecuteToEveryoneWhoMayRead) {
    const test::ScratchDir scratch;
    const std::string program = scratch.file("client");
    std::ofstream(program) << "#!/bin/sh\n";
    for (const auto& [before, after] : {std::pair{0600, 0700}, {0640, 0750}, {0644, 0755}, {0604, 0705}}) {
        ASSERT_EQ(::chmod(program.c_str(), before), 0);
        makeStartable(program.c_str());
        struct stat status {};
        ASSERT_EQ(::stat(program.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, static_cast<mode_t>(after)) << std::oct << before;
    }
}

}  // namespace
}  // namespace tarnwick::platform
