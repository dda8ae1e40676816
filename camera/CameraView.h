#pragma once

#include "camera/Camera.h"

namespace Vextal {

// The arithmetic of applyCamera, apart from the OpenGL calls.

// True when the pixel viewport has a positive width and height; a viewport
// without area gets no projection and no drawing.
bool hasPixelArea(const Camera& camera);

// pixelWidth / pixelHeight in double precision; 0 for a viewport without area.
double aspectRatio(const Camera& camera);

// The rotation handed to glRotatef: degrees about an axis that is not
// normalised (the rotation call normalises it).
struct CameraTurn {
    float angleDegrees;
    float axisX, axisY, axisZ;
};

// orientation as the angle and axis of one rotation. w is clamped to [-1, 1]
// first, so a w that rounding pushed past 1 gives angle 0, not NaN.
CameraTurn turnOf(const Quaternion& orientation);

// Folds pendingRotation into orientation (the increment on the left, so it
// turns the scene about the eye's fixed axes), renormalises, clears
// pendingRotation and returns turnOf(orientation).
CameraTurn advanceOrientation(Camera& camera);

} // namespace Vextal
