// A whole exchange with a rendezvous server whose replies are the input. The
// challenge generator starts from the same seed for every input, so an input
// that proves the first challenge keeps doing so when it is replayed.
#include <cstdint>
#include <string>

#include "installer/core/ChallengeGenerator.h"
#include "installer/update/Outcome.h"
#include "installer/update/RendezvousExchange.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryConnection.h"

using namespace tarnwick;

namespace {

// The seed corpus's proofs are made for this seed.
constexpr std::uint32_t kChallengeSeed = 20240611;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    fuzz::InputReader input(data, size);
    const std::uint32_t piece = fuzz::pieceSize(input.byte());
    test::MemoryConnection connection(input.rest(), piece);
    seedChallengeGenerator(kChallengeSeed);
    Outcome outcome = kOutcomeNone;
    try {
        const RendezvousAnswer answer = exchangeWithRendezvous(connection, 1000, nullptr, nullptr, outcome);
        if (answer.redirectHost.empty() && answer.url.empty())
            fuzz::fail("an exchange ended with neither a redirect nor an offer");
        if (outcome != kOutcomeNone) fuzz::fail("a successful exchange set an outcome");
    } catch (FailureCode code) {
        const bool answered = outcome == kOutcomeServiceUnavailable || outcome == kOutcomeAutoUpdateProblem ||
                              outcome == kOutcomeNoUpdate;
        if (code == kQuietFailure ? !answered : outcome != kOutcomeNone)
            fuzz::fail("the outcome does not match the failure thrown");
    }
    return 0;
}
