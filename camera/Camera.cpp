#include "camera/Camera.h"

#include "camera/CameraList.h"
#include "input/InputState.h"
#include "input/KeyState.h"
#include "input/WindowMessages.h"

namespace Vextal {

namespace {

// Page Up and Page Down move the camera by this much per millisecond.
constexpr double unitsPerMillisecond = 0.04;

std::int32_t truncateToPixels(float value) {
    if (value >= -2147483648.0f && value < 2147483648.0f)
        return std::int32_t(value);
    return 0;
}

void resetCamera(Camera& camera) {
    camera.translation = {0, 0, -5};
    camera.forward = {0, 0, 1};
    camera.orientation = Quaternion{};
}

} // namespace

void initCamera(Camera& camera, float x, float y, float width, float height) {
    camera.translation = {0, 0, 0};
    camera.forward = {0, 0, 1};
    camera.pendingRotation = {0, 0, 0};
    camera.viewport = {x, y, width, height};
    camera.orientation = Quaternion{};
}

void computePixelViewport(Camera& camera, std::uint32_t width, std::uint32_t height) {
    const float w = float(width);
    const float h = float(height);
    camera.pixelX = truncateToPixels(camera.viewport.x * w);
    camera.pixelY = truncateToPixels(camera.viewport.y * h);
    camera.pixelWidth = truncateToPixels(camera.viewport.width * w);
    camera.pixelHeight = truncateToPixels(camera.viewport.height * h);
}

void moveForward(Camera& camera, float distance) {
    const Vec3 f = camera.forward;
    camera.translation += Vec3{f.x * distance, f.y * distance, f.z * distance};
}

void updateCamera(std::uint32_t elapsedMilliseconds) {
    const InputState& input = inputState();
    Camera* camera = listedCamera(input.cameraList.currentCamera);
    if (camera == nullptr)
        return;
    const std::int32_t* keyTable = input.keyTable;
    if (keyHeld(keyTable, VK_PRIOR))
        moveForward(*camera, float(elapsedMilliseconds * unitsPerMillisecond));
    if (keyHeld(keyTable, VK_NEXT))
        moveForward(*camera, float(elapsedMilliseconds * -unitsPerMillisecond));
    // Last, so that Control wins over a Page key held with it.
    if (keyHeld(keyTable, VK_CONTROL))
        resetCamera(*camera);
}

} // namespace Vextal
