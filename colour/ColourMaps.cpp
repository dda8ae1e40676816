#include "colour/ColourMaps.h"

#include <algorithm>
#include <cmath>

namespace Vextal {

Rgb8 mapColour(const ColourTable& table, float low, float high, float value) {
    Rgb8 colour;
    mapColours(table, low, high, {&value, 1}, &colour);
    return colour;
}

void mapColours(const ColourTable& table, float low, float high, std::span<const float> values,
                Rgb8* colours) {
    const float scale = 255.0f / (high - low);
    for (std::size_t k = 0; k < values.size(); ++k) {
        const float value = values[k];
        const float index = std::clamp((value - low) * scale + 0.5f, 0.0f, 255.0f);
        colours[k] = value == value ? table[static_cast<std::size_t>(index)] : nonFiniteGrey;
    }
}

} // namespace Vextal
