#include "scene/SceneRules.h"

#include <limits>

namespace Vextal {

std::uint8_t countRule(float value) {
    // Checked before the cast: converting an out-of-range float (or NaN) to an
    // integer is undefined. NaN fails both comparisons.
    constexpr float lowest = -2147483648.0f;
    constexpr float pastHighest = 2147483648.0f;
    std::int32_t whole = std::numeric_limits<std::int32_t>::min();
    if (value >= lowest && value < pastHighest)
        whole = static_cast<std::int32_t>(value);
    const auto count = static_cast<std::uint8_t>(static_cast<std::uint32_t>(whole) & 0xFFu);
    return count < 3 ? 3 : count;
}

AngleRange rangeRule(float first, float second) {
    if (second > first)
        return {first, second};
    return {second, first};
}

} // namespace Vextal
