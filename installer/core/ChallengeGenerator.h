#pragma once

#include <cstdint>

namespace tarnwick {

// The process-wide source of rendezvous challenges: the standard 32-bit
// Mersenne Twister (MT19937). Only the worker of the one active update run
// draws from it, so it is not guarded.

// Seeds the generator; start-up calls it once with the time in seconds.
void seedChallengeGenerator(std::uint32_t seed);

// The next output. A generator that was never seeded is seeded with the
// current time in seconds first.
std::uint32_t nextChallenge();

}  // namespace tarnwick
