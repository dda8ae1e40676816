#pragma once

#include "primitives/SurfacePose.h"

#include <array>
#include <optional>

namespace Vextal {

class PolygonsIndexedNormal;

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
