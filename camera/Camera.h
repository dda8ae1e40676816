#pragma once

#include "camera/Quaternion.h"
#include "mesh/Vec3.h"

#include <cstdint>

namespace Vextal {

// A viewport as fractions (0 to 1) of the client area, y from the bottom.
struct Viewport {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// One view of the scene: the scene is turned by orientation about its own
// origin, then moved by translation (eye coordinates; the eye looks along -z).
struct Camera {
    Vec3 translation;
    Vec3 forward; // along which the wheel and the Page keys move; always (0, 0, 1)
    // The viewport in window pixels, bottom-left origin; set by computePixelViewport.
    std::int32_t pixelWidth = 0;
    std::int32_t pixelHeight = 0;
    std::int32_t pixelX = 0;
    std::int32_t pixelY = 0;
    // Radians about x, y and z gathered from the mouse since the last frame;
    // applyCamera folds them into orientation.
    Vec3 pendingRotation;
    Viewport viewport;
    Quaternion orientation;
};

// At the origin, facing (0, 0, 1), unturned, with the given viewport fractions.
// The pixel viewport is left for computePixelViewport.
void initCamera(Camera& camera, float x, float y, float width, float height);

// The viewport fractions times the client size, each truncated toward zero. A
// product outside the 32-bit range (or NaN) gives 0: an empty viewport.
void computePixelViewport(Camera& camera, std::uint32_t width, std::uint32_t height);

// translation += forward * distance, in float.
void moveForward(Camera& camera, float distance);

// Moves the current camera by the keys held in the input state's keyTable: Page Up towards the
// eye and Page Down away, 40 units per second of elapsedMilliseconds; Control
// then resets translation to (0, 0, -5), forward and orientation. Does nothing
// while no camera is listed at currentCamera.
void updateCamera(std::uint32_t elapsedMilliseconds);

} // namespace Vextal
