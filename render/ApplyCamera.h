#pragma once

#include "camera/Camera.h"
#include "camera/CameraView.h"

namespace Vextal {

// Sets the OpenGL viewport, a perspective projection (45 degrees vertical,
// near 1, far 100) and the view transform of camera, folding its pending
// rotation into its orientation. Leaves the modelview matrix current.
//
// Returns false, without any OpenGL call and keeping pendingRotation for a
// later frame, when the viewport has no area (a window of zero height): the
// caller then draws nothing into it.
bool applyCamera(Camera& camera);

} // namespace Vextal
