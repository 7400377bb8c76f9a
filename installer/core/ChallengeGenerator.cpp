#include "installer/core/ChallengeGenerator.h"

#include <ctime>
#include <optional>
#include <random>

namespace tarnwick {

namespace {

std::optional<std::mt19937>& generator() {
    static std::optional<std::mt19937> instance;
    return instance;
}

}  // namespace

void seedChallengeGenerator(std::uint32_t seed) {
    generator().emplace(seed);
}

std::uint32_t nextChallenge() {
    auto& instance = generator();
    if (!instance) instance.emplace(static_cast<std::uint32_t>(std::time(nullptr)));
    return static_cast<std::uint32_t>((*instance)());
}

}  // namespace tarnwick
