// tarnwick-rendezvous-load: puts a rendezvous server (or a balancer in front
// of several) under the load of many installers and reports what it saw.
//
//   tarnwick-rendezvous-load --address A.B.C.D [OPTIONS]

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/tarnwick-rendezvous-load/LoadRun.h"
#include "tools/tarnwick-rendezvous/Descriptor.h"
#include "tools/tarnwick-rendezvous/Scenario.h"

namespace {

using namespace tarnwick::rendezvous;

const char* const kUsage =
    "usage: tarnwick-rendezvous-load --address A.B.C.D [OPTIONS]\n"
    "  --address A.B.C.D   the server (or balancer) to load\n"
    "  --port N            its port (default 16000)\n"
    "  --clients N         clients at once, each running exchanges one after another (default 100)\n"
    "  --seconds S         start exchanges for S seconds (default 10)\n"
    "  --count N           or start N exchanges in all\n"
    "  --offer URL         every offer must carry URL (default: any URL)\n"
    "  --version N         every challenge must carry package version N (default: any)\n"
    "  --timeout MS        an exchange that takes longer fails as timed-out (default 10000)\n"
    "  --idle N            first open N connections that never say a word, held to the end\n"
    "  --threads N         client loops, one thread each (default 1)\n"
    "Prints exchanges per second, latency percentiles (from connecting to the offer) and the\n"
    "errors by kind.\n";

LoadPlan parsePlan(const std::vector<std::string>& args) {
    LoadPlan plan;
    bool addressGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::runtime_error(option + " needs a value");
            return args[++i];
        };
        auto positive = [&] {
            const std::uint32_t number = parseNumber(option, value());
            if (number == 0) throw std::runtime_error(option + " takes 1 or more");
            return number;
        };
        if (option == "--address") {
            plan.address = parseIpv4(value());
            addressGiven = true;
        } else if (option == "--port") {
            const std::uint32_t port = positive();
            if (port > 65535) throw std::runtime_error("--port takes 1 to 65535");
            plan.port = static_cast<std::uint16_t>(port);
        } else if (option == "--clients") {
            plan.clients = positive();
        } else if (option == "--seconds") {
            plan.duration = std::chrono::seconds(positive());
        } else if (option == "--count") {
            plan.count = positive();
        } else if (option == "--offer") {
            plan.offer = value();
        } else if (option == "--version") {
            plan.version = parseNumber(option, value());
        } else if (option == "--timeout") {
            plan.timeout = std::chrono::milliseconds(positive());
        } else if (option == "--idle") {
            plan.idle = parseNumber(option, value());
        } else if (option == "--threads") {
            plan.threads = positive();
        } else {
            throw std::runtime_error("unknown option " + option);
        }
    }
    if (!addressGiven) throw std::runtime_error("--address is needed");
    return plan;
}

// The nearest-rank percentile of sorted microseconds, in milliseconds.
double percentile(const std::vector<std::uint32_t>& sorted, double fraction) {
    if (sorted.empty()) return 0;
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1] / 1000.0;
}

void report(const LoadPlan& plan, LoadResult& result) {
    const double seconds = result.elapsed.count();
    std::printf("exchanges: %llu in %.2f s, %.0f per second\n",
                static_cast<unsigned long long>(result.exchanges), seconds,
                seconds > 0 ? static_cast<double>(result.exchanges) / seconds : 0.0);
    std::sort(result.latencies.begin(), result.latencies.end());
    std::printf("latency: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", percentile(result.latencies, 0.50),
                percentile(result.latencies, 0.99), percentile(result.latencies, 1.0));
    std::uint64_t errors = 0;
    std::string kinds;
    for (std::size_t kind = 0; kind < result.errors.size(); ++kind) {
        if (!result.errors[kind]) continue;
        errors += result.errors[kind];
        kinds += (kinds.empty() ? " (" : ", ") + std::string(loadErrorName(static_cast<LoadError>(kind))) +
                 " " + std::to_string(result.errors[kind]);
    }
    std::printf("errors: %llu%s\n", static_cast<unsigned long long>(errors),
                kinds.empty() ? "" : (kinds + ")").c_str());
    if (plan.idle)
        std::printf("idle connections: %u opened, %u held to the end, %u dropped by the server\n",
                    result.idleOpened, result.idleOpened - result.idleDropped, result.idleDropped);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            std::printf("%s", kUsage);
            return 0;
        }
        const LoadPlan plan = parsePlan(args);
        signal(SIGPIPE, SIG_IGN);
        raiseDescriptorLimit();
        LoadResult result = runLoad(plan);
        report(plan, result);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnwick-rendezvous-load: %s\n", error.what());
        return 1;
    }
}
