#pragma once

#include "mesh/VertexColours.h"

#include <array>
#include <span>

namespace Vextal {

// 256 colours from the low end of a range to the high end.
using ColourTable = std::array<Rgb8, 256>;

// Perceptually uniform, dark blue through green to yellow: for values of one
// sign (height, radius).
extern const ColourTable sequentialMap;
// Blue through a neutral white to red, white at the middle: for signed values
// centred at 0 (the curvatures).
extern const ColourTable divergingMap;

// What a vertex shows where its value is not finite: darker than the
// diverging map's white and unlike any colour of either map.
inline constexpr Rgb8 nonFiniteGrey{96, 96, 96};

// The table's colour for `value` on the range low..high; values outside it
// take the end colours, NaN the grey. Every range gives colours: one of no
// width, or with an end that is not finite, gives every value the middle
// colour.
Rgb8 mapColour(const ColourTable& table, float low, float high, float value);
// The same for every value.
void mapColours(const ColourTable& table, float low, float high, std::span<const float> values,
                Rgb8* colours);

} // namespace Vextal
