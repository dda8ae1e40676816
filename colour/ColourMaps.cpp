#include "colour/ColourMaps.h"

#include <algorithm>
#include <cmath>

namespace Vextal {

Rgb8 mapColour(const ColourTable& table, float low, float high, float value) {
    if (std::isnan(value))
        return nonFiniteGrey;
    const float fraction = (value - low) / (high - low);
    const float index = std::clamp(fraction * 255.0f + 0.5f, 0.0f, 255.0f);
    return table[static_cast<std::size_t>(index)];
}

} // namespace Vextal
