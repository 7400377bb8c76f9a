#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace pakloom::test {

// Drives the library against an engine that records what happens to it.
class FakeEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadedPakloom().setLogCallback(RecordLine);
        TakeRecordedLines();
        std::ofstream(scratch_.path() / "archive.7z") << "anything";
        SetEnvironment("PAKLOOM_FAKE_ENGINE_EVENTS", scratch_.file("events.txt"));
    }

    int Run(const std::string& mode, const char* engine = PAKLOOM_FAKE_ENGINE) {
        SetEnvironment("PAKLOOM_FAKE_ENGINE_MODE", mode);
        return Extract(NativePath(engine), (scratch_.path() / "archive.7z").u16string(),
                       (scratch_.path() / "out").u16string());
    }

    std::vector<std::string> Events() const {
        std::vector<std::string> events;
        std::ifstream file(scratch_.path() / "events.txt");
        for (std::string line; std::getline(file, line);)
            events.push_back(line);
        return events;
    }

    tarnwick::test::ScratchDir scratch_;
};

}  // namespace pakloom::test
