#include "fit/CurveStarts.h"

#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

constexpr std::size_t fewestPoints = 10;

struct PlaneMoments {
    CurvePoint centre{};
    double xx = 0, xy = 0, yy = 0;
    double large = 0, small = 0; // the spreads along the two axes
};

PlaneMoments momentsOf(const std::vector<CurvePoint>& points) {
    PlaneMoments m;
    for (const CurvePoint& p : points) {
        m.centre[0] += p[0];
        m.centre[1] += p[1];
    }
    m.centre[0] /= double(points.size());
    m.centre[1] /= double(points.size());
    for (const CurvePoint& p : points) {
        const double dx = p[0] - m.centre[0], dy = p[1] - m.centre[1];
        m.xx += dx * dx;
        m.xy += dx * dy;
        m.yy += dy * dy;
    }
    const double mean = 0.5 * (m.xx + m.yy);
    const double gap = std::hypot(0.5 * (m.xx - m.yy), m.xy);
    m.large = mean + gap;
    m.small = std::max(0.0, mean - gap);
    return m;
}

// 0 for one point, 1 for a line, 2 for points that span the plane.
int dimensionsOf(const PlaneMoments& m) {
    if (!(m.large > 0))
        return 0;
    return m.small > 1e-10 * m.large ? 2 : 1;
}

std::optional<double> held(const CurveFitOptions& options, const char* name) {
    for (const auto& [key, value] : options.fixed)
        if (key == name)
            return value;
    return std::nullopt;
}

} // namespace

std::optional<CurveFrame> curveFrame(const std::vector<CurvePoint>& points) {
    if (points.size() < fewestPoints)
        return std::nullopt;
    const PlaneMoments m = momentsOf(points);
    if (dimensionsOf(m) < 2)
        return std::nullopt;
    CurveFrame frame;
    frame.centre = m.centre;
    frame.majorAngle = 0.5 * std::atan2(2 * m.xy, m.xx - m.yy);
    for (const CurvePoint& p : points)
        frame.meanRadius += std::hypot(p[0] - m.centre[0], p[1] - m.centre[1]);
    frame.meanRadius /= double(points.size());
    return frame;
}

std::string curveFrameRefusal(const std::vector<CurvePoint>& points) {
    if (points.size() < fewestPoints)
        return "a curve needs at least " + std::to_string(fewestPoints) +
               " points with finite coordinates; there are " + std::to_string(points.size());
    switch (dimensionsOf(momentsOf(points))) {
    case 0:
        return "all the points are the same point: they hold no curve";
    case 1:
        return "the points lie on a line: they enclose nothing for a curve to fit";
    default:
        return "";
    }
}

std::vector<CurveStart> curveStarts(const CurveFrame& frame, const CurveFitOptions& options) {
    std::vector<double> orders;
    if (const auto m = held(options, "coef1.m"))
        orders = {*m};
    else if (options.symmetry)
        orders = {double(*options.symmetry)};
    else
        for (int m = 1; m <= 12; ++m)
            orders.push_back(m);
    constexpr double exponents[][3] = {{2, 2, 2}, {1, 1, 1}, {6, 6, 6}};
    std::vector<CurveStart> starts;
    for (const double m : orders)
        for (int turn = 0; turn < 4; ++turn)
            for (const auto& n : exponents) {
                CurveStart s;
                s.m = m;
                s.shape = {n[0], n[1], n[2], 1, 1};
                // r(phi) repeats after 4 pi / m at most; a circle (m 0) never turns.
                const double period = m > 0 ? 4 * std::numbers::pi / m : 0;
                if (period == 0 && turn > 0)
                    continue;
                s.rotation = frame.majorAngle + 0.25 * turn * period;
                s.centre = frame.centre;
                s.scale = frame.meanRadius;
                starts.push_back(s);
            }
    return starts;
}

PlacedCurve placedCurveOf(const CurveStart& s) {
    PlacedCurve c;
    c.n1 = s.shape[0];
    c.n2 = s.shape[1];
    c.n3 = s.shape[2];
    c.a = s.shape[3];
    c.b = s.shape[4];
    c.m = s.m;
    c.rotation = std::remainder(s.rotation, 2 * std::numbers::pi);
    c.centre = s.centre;
    c.scale = s.scale;
    return c;
}

} // namespace Vextal
