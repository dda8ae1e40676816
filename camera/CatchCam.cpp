#include "camera/CatchCam.h"

#include <cmath>

namespace Vextal {

namespace {

// Wheel amounts per unit of translation: one notch (65536) moves 0.32768.
constexpr double wheelPerUnit = 200000.0;
// Drag pixels per unit of translation (pan) or per radian (turn).
constexpr double pixelsPerUnit = 1000.0;

float addScaled(float value, float pixels) {
    return float(value + pixels / pixelsPerUnit);
}

} // namespace

void CatchCam::handleEvent(const MouseEvent& event) {
    if (cameraList == nullptr || cameraIndex < 0 || cameraIndex >= listedCameras().cameraCount)
        return;
    Camera* camera = cameraList[cameraIndex];
    if (camera == nullptr)
        return;

    if (event.wheel != 0)
        moveForward(*camera, float(event.wheel / wheelPerUnit));

    if (event.left && event.right) {
        // Towards the eye by the drag's length, never away.
        const double dx = event.dx, dy = event.dy;
        moveForward(*camera, float(std::sqrt(dx * dx + dy * dy)));
    } else if (event.left) {
        // The scene follows the pointer: window y runs down, scene y up.
        camera->translation.x = addScaled(camera->translation.x, event.dx);
        camera->translation.y = addScaled(camera->translation.y, -event.dy);
    } else if (event.right) {
        // A vertical drag turns about x, a horizontal one about y.
        camera->pendingRotation.x = addScaled(camera->pendingRotation.x, event.dy);
        camera->pendingRotation.y = addScaled(camera->pendingRotation.y, event.dx);
    }
}

} // namespace Vextal
