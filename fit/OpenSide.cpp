#include "fit/OpenSide.h"

#include "fit/PointSample.h"

#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

// Directions spread evenly over the sphere (a Fibonacci lattice).
std::vector<std::array<double, 3>> evenDirections(int count) {
    std::vector<std::array<double, 3>> directions;
    const double turn = std::numbers::pi * (3 - std::sqrt(5.0));
    for (int k = 0; k < count; ++k) {
        const double z = 1 - (2 * k + 1) / double(count);
        const double r = std::sqrt(1 - z * z);
        directions.push_back({r * std::cos(turn * k), r * std::sin(turn * k), z});
    }
    return directions;
}

} // namespace

std::optional<OpenSide> openSide(const std::vector<FitPoint>& points,
                                 const std::array<double, 3>& centre, double widestGap) {
    // A few thousand points show a gap as wide as a scan leaves.
    const std::vector<FitPoint> sample = sampleOf(points, 4000, 1);
    std::vector<std::array<double, 3>> seen;
    for (const FitPoint& p : sample) {
        const double d[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
        const double length = std::hypot(d[0], d[1], d[2]);
        if (length > 0)
            seen.push_back({d[0] / length, d[1] / length, d[2] / length});
    }
    // The direction farthest from every point's.
    double widest = -1;
    std::array<double, 3> open{};
    for (const auto& d : evenDirections(512)) {
        double nearest = -1;
        for (const auto& s : seen)
            nearest = std::max(nearest, d[0] * s[0] + d[1] * s[1] + d[2] * s[2]);
        const double gap = std::acos(std::clamp(nearest, -1.0, 1.0));
        if (gap > widest) {
            widest = gap;
            open = d;
        }
    }
    if (!(widest > widestGap))
        return std::nullopt;
    OpenSide side{open, 0};
    for (const FitPoint& p : points)
        side.reach =
            std::max(side.reach, (p[0] - centre[0]) * open[0] + (p[1] - centre[1]) * open[1] +
                                     (p[2] - centre[2]) * open[2]);
    return side;
}

} // namespace Vextal
