#include "tools/tarnwick-rendezvous-load/LoadRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/tarnwick-rendezvous/RunningServer.h"
#include "tools/tarnwick-rendezvous/Scenario.h"

namespace tarnwick::rendezvous {
namespace {

using namespace std::chrono_literals;

Scenario at(const std::string& options) {
    std::vector<std::string> args;
    for (std::size_t start = 0; start < options.size();) {
        const std::size_t end = std::min(options.find(' ', start), options.size());
        args.push_back(options.substr(start, end - start));
        start = end + 1;
    }
    return parseScenario(args);
}

LoadPlan plan(const char* address, std::uint64_t count) {
    LoadPlan plan;
    plan.address = parseIpv4(address);
    plan.clients = 3;
    plan.count = count;
    plan.offer = "http://127.0.7.9/update.bin";
    plan.version = 7;
    plan.timeout = 2s;
    return plan;
}

std::uint64_t errorsOf(const LoadResult& result, LoadError kind) {
    return result.errors[static_cast<std::size_t>(kind)];
}

// Every reply is checked as the installer checks it, and each way a server
// can fail an exchange is counted under its own kind.
TEST(LoadRun, CountsExchangesAndEachKindOfError) {
    const std::string offer = "--offer http://127.0.7.9/update.bin --version 7";
    Limits limits;
    limits.receiveTimeout = 200ms;
    RunningServer server(
        {at("--address 127.0.7.20 --skip 1 " + offer), at("--address 127.0.7.21 --wrong-proof " + offer),
         at("--address 127.0.7.22 --answer 58 --version 7"),
         at("--address 127.0.7.23 --offer http://127.0.7.9/other.bin --version 7"),
         at("--address 127.0.7.24 --answer 78 --version 7"), at("--address 127.0.7.25 --oversized"),
         at("--address 127.0.7.26 --silent")},
        limits);

    const LoadResult served = runLoad(plan("127.0.7.20", 10));
    EXPECT_EQ(served.exchanges, 10u);
    EXPECT_EQ(served.latencies.size(), 10u);
    for (std::size_t kind = 0; kind < served.errors.size(); ++kind)
        EXPECT_EQ(served.errors[kind], 0u) << loadErrorName(static_cast<LoadError>(kind));

    LoadPlan otherVersion = plan("127.0.7.20", 2);
    otherVersion.version = 8;
    const LoadPlan noSuchServer = plan("127.0.7.27", 2);
    LoadPlan impatient = plan("127.0.7.26", 2);
    impatient.timeout = 50ms;
    const std::vector<std::pair<LoadPlan, LoadError>> cases = {
        {plan("127.0.7.21", 2), LoadError::kBadProof},
        {otherVersion, LoadError::kWrongVersion},
        {plan("127.0.7.22", 2), LoadError::kUnexpectedReply},
        {plan("127.0.7.23", 2), LoadError::kWrongOffer},
        {plan("127.0.7.24", 2), LoadError::kWrongOffer},
        {plan("127.0.7.25", 2), LoadError::kOversized},
        {plan("127.0.7.26", 2), LoadError::kClosed},  // the server's deadline ends it
        {impatient, LoadError::kTimedOut},
        {noSuchServer, LoadError::kConnectRefused},
    };
    for (const auto& [failing, kind] : cases) {
        const LoadResult result = runLoad(failing);
        EXPECT_EQ(result.exchanges, 0u) << loadErrorName(kind);
        EXPECT_EQ(errorsOf(result, kind), 2u) << loadErrorName(kind);
    }
}

// Idle connections stay open beside the exchanges for the whole run, and
// those the server drops are counted.
TEST(LoadRun, HoldsIdleConnectionsBesideTheExchanges) {
    Limits patient;
    patient.receiveTimeout = 10s;
    Limits strict;
    strict.receiveTimeout = 100ms;
    RunningServer patientServer({at("--address 127.0.7.28 --offer http://127.0.7.9/update.bin --version 7")},
                                patient);
    RunningServer strictServer({at("--address 127.0.7.29 --offer http://127.0.7.9/update.bin --version 7")},
                               strict);

    for (const char* address : {"127.0.7.28", "127.0.7.29"}) {
        LoadPlan idle = plan(address, 0);
        idle.duration = 300ms;
        idle.idle = 20;
        const LoadResult result = runLoad(idle);
        EXPECT_GT(result.exchanges, 0u) << address;
        EXPECT_EQ(result.idleOpened, 20u) << address;
        EXPECT_EQ(result.idleDropped, address == std::string("127.0.7.28") ? 0u : 20u) << address;
    }
}

}  // namespace
}  // namespace tarnwick::rendezvous
