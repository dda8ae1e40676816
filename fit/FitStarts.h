#pragma once

#include "fit/OpenSide.h"
#include "fit/SurfaceFit.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace Vextal {

// Every number a solve varies, and the orders it holds: the two formulas'
// n1 n2 n3 a b, the rotation as an axis times its angle, the translation and
// the scale of the pose.
struct FitStart {
    std::array<double, 10> shape{};
    std::array<double, 3> rotation{};
    std::array<double, 3> translation{};
    double scale = 1;
    double m1 = 4, m2 = 4;
};

// The points' centre and principal axes (columns, by growing spread) and
// their mean distance from the centre.
struct PrincipalFrame {
    std::array<double, 3> centre{};
    std::array<std::array<double, 3>, 3> axes{};
    std::array<double, 3> spread{};
    double meanRadius = 0;
};

// None when the points cannot hold a surface: fewer than 10, or all on a
// plane, a line or one point.
std::optional<PrincipalFrame> principalFrame(const std::vector<FitPoint>& points);
// Why principalFrame gave none, in words for a person.
std::string principalFrameRefusal(const std::vector<FitPoint>& points);

// The starts of a fit: each principal axis taken as the surface's axis,
// turned about it, for every symmetry order and a few exponents, all
// placed at the centre and scaled to the points' size. A scan from one
// side (`open`) adds its open side as an axis and centres towards it.
std::vector<FitStart> fitStarts(const PrincipalFrame& frame, const SurfaceFitOptions& options,
                                const std::optional<OpenSide>& open);

// The numbers of a surface given as scene values.
FitStart startFromScene(const SceneValues& scene);

} // namespace Vextal
