#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ScratchDir.h"
#include "tools/tarnwick-rendezvous/Server.h"

namespace tarnwick::rendezvous {

// A server on its event loops in a thread of the test, stopped and joined
// when the object goes, with its log in a scratch folder.
class RunningServer {
public:
    RunningServer(std::vector<Scenario> scenarios, Limits limits) {
        log_ = std::fopen(scratch_.file("log").c_str(), "w");
        EXPECT_EQ(::pipe(stop_), 0);
        server_.emplace(std::move(scenarios), log_, limits);
        server_->listen();
        serving_ = std::thread([this] { server_->run(stop_[0]); });
    }
    ~RunningServer() {
        stop();
        ::close(stop_[0]);
        ::close(stop_[1]);
        std::fclose(log_);
    }
    void stop() {
        if (!serving_.joinable()) return;
        const char byte = 1;
        EXPECT_EQ(::write(stop_[1], &byte, 1), 1);
        serving_.join();
    }
    std::string log() const {
        std::ifstream in(scratch_.file("log"));
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The log's line that starts with start, once the server has written
    // it; "" when it has not within five seconds.
    std::string lineStarting(const std::string& start) const {
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
             std::chrono::steady_clock::now() < until;
             std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            std::istringstream lines(log());
            for (std::string line; std::getline(lines, line);)
                if (line.rfind(start, 0) == 0) return line;
        }
        return "";
    }

private:
    test::ScratchDir scratch_;
    std::FILE* log_ = nullptr;
    int stop_[2] = {-1, -1};
    std::optional<Server> server_;
    std::thread serving_;
};

}  // namespace tarnwick::rendezvous
