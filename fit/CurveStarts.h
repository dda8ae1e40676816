#pragma once

#include "fit/CurveFit.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace Vextal {

// The numbers a curve solve varies (n1 n2 n3 a b, the rotation, the centre,
// the scale) and the order it holds.
struct CurveStart {
    std::array<double, 5> shape{2, 2, 2, 1, 1};
    double rotation = 0;
    std::array<double, 2> centre{};
    double scale = 1;
    double m = 4;
};

// The points' centre, the angle of their major axis and their mean
// distance from the centre.
struct CurveFrame {
    CurvePoint centre{};
    double majorAngle = 0;
    double meanRadius = 0;
};

// None when the points cannot hold a curve: fewer than 10, all one point,
// or all on a line; curveFrameRefusal says which in words.
std::optional<CurveFrame> curveFrame(const std::vector<CurvePoint>& points);
std::string curveFrameRefusal(const std::vector<CurvePoint>& points);

// Every order m (1 to 12, or the one held), four turns over the curve's
// period and a round, a pointed and a boxy set of exponents, placed at the
// centre along the major axis and scaled to the points.
std::vector<CurveStart> curveStarts(const CurveFrame& frame, const CurveFitOptions& options);

PlacedCurve placedCurveOf(const CurveStart& start);

} // namespace Vextal
