#include "installer/ui/logic/FontSize.h"

#include <cstdint>

namespace tarnwick::ui {

int pointsToHeightAt(int points, int pixelsPerInch) {
    constexpr std::int64_t kPointsPerInch = 72;
    const std::int64_t product = std::int64_t{points} * pixelsPerInch;
    const std::int64_t half = kPointsPerInch / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / kPointsPerInch : (product - half) / kPointsPerInch;
    return static_cast<int>(-rounded);
}

}  // namespace tarnwick::ui
