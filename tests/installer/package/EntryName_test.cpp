#include "installer/package/EntryName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

TEST(EntryName, TakesOnlyNamesThatMeanTheSameOnWindows) {
    // Devices are whole names only: CONSOLE.txt or COM10 are ordinary files.
    for (const char* name : {"Tarnwick.exe", "bin\\data\\a.txt", ".profile", "a.b.c", "CONSOLE.txt",
                             "auxiliary", "COM10", "LPT", "x CON", "sub\\nul-file"}) {
        EXPECT_EQ(entryNameProblem(name), nullptr) << name;
    }
    EXPECT_EQ(entryNameProblem(std::string(kEntryNameCapacity - 1, 'n')), nullptr);

    const struct {
        const char* why;
        std::vector<std::string> names;
    } refused[] = {
        {"too long", {std::string(kEntryNameCapacity, 'n')}},
        {"climbs out", {"..", "..\\x", "a..b"}},
        {"drive or stream", {"C:x.txt", "c:\\windows\\x", "Tarnwick.exe:stream"}},
        {"empty", {"", "\\x", "x\\", "a\\\\b", "/x", "a//b"}},
        {"stripped by Windows", {"Tarnwick.exe.", "Tarnwick.exe ", ".", "dir.\\x", "dir \\x"}},
        {"device",
         {"CON", "con", "Prn.txt", "aux", "NUL.tar.gz", "nul .txt", "COM1", "com9.log", "LPT1", "lpt9",
          "CONIN$", "conout$.txt", "sub\\AUX\\x.txt", "sub/con"}},
    };
    for (const auto& group : refused) {
        for (const auto& name : group.names)
            EXPECT_NE(entryNameProblem(name), nullptr) << group.why << ": " << name;
    }
}

}  // namespace
}  // namespace tarnwick
