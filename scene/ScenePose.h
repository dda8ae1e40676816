#pragma once

#include <array>
#include <optional>

namespace Vextal {

class PolygonsIndexedNormal;

// Where a surface stands: turned by `angle` radians about `axis` (a unit
// vector), scaled by `scale` about the origin, then moved by `translation`.
// A point p of the tessellation becomes scale * R p + translation; a normal n
// becomes R n.
struct ScenePose {
    std::array<float, 3> axis{0, 0, 1};
    float angle = 0;
    std::array<float, 3> translation{};
    float scale = 1;

    bool operator==(const ScenePose&) const = default;
};

// "pose AX AY AZ ANGLE TX TY TZ SCALE": the pose the eight values give, the
// axis normalised; none (the command changes nothing) when a value is not
// finite, the scale is not above zero or the axis is zero while the angle
// is not.
std::optional<ScenePose> poseRule(const float* values);

// The pose's rotation as a row-major 3x3 matrix, in double precision.
std::array<double, 9> rotationMatrix(const ScenePose& pose);

// Moves every vertex and turns every normal of the mesh as the pose says.
// The arithmetic is done in double and each coordinate rounded to float once.
void applyPose(const ScenePose& pose, PolygonsIndexedNormal& mesh);

} // namespace Vextal
