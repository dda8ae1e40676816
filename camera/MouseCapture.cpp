#include "camera/MouseCapture.h"

#include "camera/CameraList.h"

namespace Vextal {

MouseEvent mouseEvent;
float anchorX = 0;
float anchorY = 0;

namespace {

void takeFlags(MouseEvent& event, WParam wParam) {
    event.left = (wParam & MK_LBUTTON) != 0;
    event.right = (wParam & MK_RBUTTON) != 0;
    event.middle = (wParam & MK_MBUTTON) != 0;
    event.control = (wParam & MK_CONTROL) != 0;
    event.shift = (wParam & MK_SHIFT) != 0;
}

bool contains(const Camera& camera, std::int64_t x, std::int64_t y) {
    const std::int64_t left = camera.pixelX, bottom = camera.pixelY;
    return left <= x && x <= left + camera.pixelWidth && bottom <= y &&
           y <= bottom + camera.pixelHeight;
}

// (x, y) in window pixels, y downward; viewports count y from the bottom.
// Compared as signed 64-bit integers, so a pointer left of or above the
// client area is outside every viewport.
void selectCamera(float x, float y) {
    const std::int64_t column = std::int64_t(x);
    const std::int64_t row = std::int64_t(float(windowHeight) - y);
    for (int i = 0; i < cameraCount; ++i) {
        const Camera* camera = listedCamera(i);
        if (camera != nullptr && contains(*camera, column, row))
            currentCamera = std::uint8_t(i);
    }
}

void press(float x, float y) {
    selectCamera(x, y);
    if (catchCam != nullptr)
        catchCam->cameraIndex = currentCamera;
    anchorX = x;
    anchorY = y;
}

} // namespace

void captureMouse(std::uint32_t message, WParam wParam, LParam lParam) {
    mouseEvent = MouseEvent{};
    const float x = float(pointerX(lParam));
    const float y = float(pointerY(lParam));
    switch (message) {
    case WM_MOUSEMOVE:
        takeFlags(mouseEvent, wParam);
        mouseEvent.dx = x - anchorX;
        mouseEvent.dy = y - anchorY;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        press(x, y);
        break;
    case WM_MOUSEWHEEL:
        takeFlags(mouseEvent, wParam);
        // The key bits in the low word shift the quotient by at most 1.
        mouseEvent.wheel = std::int32_t(std::uint32_t(wParam)) / WHEEL_DELTA;
        break;
    default:
        break;
    }
    if (catchCam != nullptr)
        catchCam->handleEvent(mouseEvent);
}

} // namespace Vextal
