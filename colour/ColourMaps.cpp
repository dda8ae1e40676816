#include "colour/ColourMaps.h"

#include <cmath>

namespace Vextal {

Rgb8 mapColour(const ColourTable& table, float low, float high, float value) {
    Rgb8 colour;
    mapColours(table, low, high, {&value, 1}, &colour);
    return colour;
}

void mapColours(const ColourTable& table, float low, float high, std::span<const float> values,
                Rgb8* colours) {
    // In double: the width of any two finite floats and its reciprocal are
    // finite there, even 3e38 apart or 1e-45 apart, so the index is never
    // inf times zero. A range with no width, or with an end that is not
    // finite, has no direction to spread the values along: its middle.
    const double width = double(high) - double(low);
    const bool spread = std::isfinite(width) && width != 0;
    const double scale = spread ? 255.0 / width : 0.0;
    const std::size_t last = table.size() - 1;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double value = values[k];
        if (std::isnan(value)) {
            colours[k] = nonFiniteGrey;
            continue;
        }
        const double index = spread ? (value - double(low)) * scale + 0.5 : 128.0;
        // Checked before the conversion: inf and NaN fail both comparisons.
        colours[k] = index >= 0 && index < double(last) ? table[static_cast<std::size_t>(index)]
                                                        : table[index >= 0 ? last : 0];
    }
}

} // namespace Vextal
