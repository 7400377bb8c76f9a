#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::rendezvous {

// What a load run does: clients that each perform whole exchanges one after
// the other, as installers would, for a time or until a number of exchanges
// have been started, while idle connections sit open beside them.
struct LoadPlan {
    std::uint32_t address = 0x7F000001;  // host order
    std::uint16_t port = 16000;
    unsigned clients = 100;
    std::chrono::milliseconds duration{10000};  // when count is 0
    std::uint64_t count = 0;                    // exchanges to start in all; 0: run for duration
    std::string offer;                          // the URL every offer must carry; empty: any
    std::optional<std::uint32_t> version;       // the version every challenge must carry
    std::chrono::milliseconds timeout{10000};   // for each whole exchange
    unsigned idle = 0;                          // connections opened first that never say a word
    unsigned threads = 1;
};

// How an exchange failed.
enum class LoadError {
    kConnectRefused,
    kConnectFailed,
    kReset,            // the connection broke
    kClosed,           // the server hung up before its reply was whole
    kTimedOut,         // the exchange outlasted the plan's timeout
    kOversized,        // a reply announced a body beyond the installer's buffer
    kBadProof,         // the challenge did not prove the client's challenge
    kWrongVersion,     // the challenge offered another version than the plan's
    kUnexpectedReply,  // a message of another type, or too short for its fields
    kWrongOffer,       // an empty offer, or not the plan's URL
    kCount
};
const char* loadErrorName(LoadError error);

struct LoadResult {
    std::uint64_t exchanges = 0;
    std::chrono::duration<double> elapsed{};  // from the first connection to the last exchange's end
    std::vector<std::uint32_t> latencies;     // microseconds, one per completed exchange
    std::array<std::uint64_t, static_cast<std::size_t>(LoadError::kCount)> errors{};
    unsigned idleOpened = 0;
    unsigned idleDropped = 0;  // closed by the server before the run ended
};

// Runs the plan. Throws std::runtime_error when the run cannot be set up
// (no descriptors, no epoll, no thread).
LoadResult runLoad(const LoadPlan& plan);

}  // namespace tarnwick::rendezvous
