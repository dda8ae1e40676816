#include "camera/CameraView.h"

#include <cmath>

namespace Vextal {

namespace {
constexpr double degreesPerRadian = 57.29577951308232;
}

bool hasPixelArea(const Camera& camera) {
    return camera.pixelWidth > 0 && camera.pixelHeight > 0;
}

double aspectRatio(const Camera& camera) {
    if (!hasPixelArea(camera))
        return 0.0;
    return double(std::uint32_t(camera.pixelWidth)) / double(std::uint32_t(camera.pixelHeight));
}

CameraTurn turnOf(const Quaternion& q) {
    // Clamp before acos: after float normalisation w can exceed 1 by one
    // rounding step, and acos would return NaN.
    const double w = q.w > 1.0f ? 1.0 : (q.w < -1.0f ? -1.0 : double(q.w));
    const float radians = float(2.0 * std::acos(w));
    return {float(radians * degreesPerRadian), q.x, q.y, q.z};
}

CameraTurn advanceOrientation(Camera& camera) {
    const Vec3 turn = camera.pendingRotation;
    const Quaternion increment = eulerToQuaternion(turn.x, turn.y, turn.z);
    camera.orientation = multiplyQuaternions(increment, camera.orientation);
    normalizeQuaternion(camera.orientation);
    camera.pendingRotation = {0, 0, 0};
    return turnOf(camera.orientation);
}

} // namespace Vextal
