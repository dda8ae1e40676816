#pragma once

#include "fit/SurfaceFit.h"

#include <array>
#include <optional>
#include <vector>

namespace Vextal {

// The side a scan from one direction left out. A whole surface that is a
// radius of its angles surrounds its centre: seen from the points' centre,
// some point lies near every direction. A scan from one side leaves a wide
// cone of directions with no point in it, towards the side not seen; the
// surface's true centre then lies off the points' centre, towards it.
struct OpenSide {
    std::array<double, 3> direction{}; // unit, towards the side not seen
    // How far the points reach along the direction beyond their centre:
    // the cut of a scan taken to its rim lies there.
    double reach = 0;
};

// The open side of the points about their centre; none when points lie
// within `widestGap` radians of every direction.
std::optional<OpenSide> openSide(const std::vector<FitPoint>& points,
                                 const std::array<double, 3>& centre, double widestGap = 0.45);

} // namespace Vextal
