#pragma once

#include "primitives/SurfacePose.h"

#include <cmath>

namespace Vextal {

// The scene's pose of a fit's numbers: a rotation as axis times angle
// (radians), a translation and a scale, each rounded to the file's floats.
inline ScenePose fittedPose(const double* rotation, const double* translation, double scale) {
    const double angle = std::sqrt(rotation[0] * rotation[0] + rotation[1] * rotation[1] +
                                   rotation[2] * rotation[2]);
    ScenePose pose;
    if (angle > 0)
        pose.axis = {float(rotation[0] / angle), float(rotation[1] / angle),
                     float(rotation[2] / angle)};
    pose.angle = float(angle);
    pose.translation = {float(translation[0]), float(translation[1]), float(translation[2])};
    pose.scale = float(scale);
    return pose;
}

} // namespace Vextal
