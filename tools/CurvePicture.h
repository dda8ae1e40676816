#pragma once

#include "fit/CurveFit.h"

#include <cstdint>
#include <vector>

namespace Vextal {

// A picture of an outline's points and the curve fitted to them, drawn by
// hand: white ground, the curve as an orange line, the points as dark blue
// dots over it, y upwards, the points' box with a margin filling it.
struct CurvePicture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba; // width * height * 4, rows top first
};

// `longSide` pixels along the longer side of the points' box.
CurvePicture drawCurvePicture(const std::vector<CurvePoint>& points, const PlacedCurve& curve,
                              int longSide = 720);

} // namespace Vextal
