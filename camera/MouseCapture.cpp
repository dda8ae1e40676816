#include "camera/MouseCapture.h"

#include "camera/CameraList.h"
#include "input/InputState.h"

namespace Vextal {

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
// Compared as signed 64-bit integers, so a pointer left of the client area
// is outside every viewport; one above it would turn into a row above the
// window's height, inside a viewport that reaches past the top edge, so it
// is left out first.
void selectCamera(CameraList& list, float x, float y) {
    if (y < 0)
        return;
    const std::int64_t column = std::int64_t(x);
    const std::int64_t row = std::int64_t(float(list.windowHeight) - y);
    for (int i = 0; i < list.cameraCount; ++i) {
        const Camera* camera = listedCamera(i);
        if (camera != nullptr && contains(*camera, column, row))
            list.currentCamera = std::uint8_t(i);
    }
}

void press(InputState& input, float x, float y) {
    selectCamera(input.cameraList, x, y);
    if (input.catchCam != nullptr)
        input.catchCam->cameraIndex = input.cameraList.currentCamera;
    input.anchorX = x;
    input.anchorY = y;
}

} // namespace

void captureMouse(std::uint32_t message, WParam wParam, LParam lParam) {
    InputState& input = inputState();
    MouseEvent& mouseEvent = input.mouseEvent;
    mouseEvent = MouseEvent{};
    const float x = float(pointerX(lParam));
    const float y = float(pointerY(lParam));
    switch (message) {
    case WM_MOUSEMOVE:
        takeFlags(mouseEvent, wParam);
        mouseEvent.dx = x - input.anchorX;
        mouseEvent.dy = y - input.anchorY;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        press(input, x, y);
        break;
    case WM_MOUSEWHEEL:
        takeFlags(mouseEvent, wParam);
        // The key bits in the low word shift the quotient by at most 1.
        mouseEvent.wheel = std::int32_t(std::uint32_t(wParam)) / WHEEL_DELTA;
        break;
    default:
        break;
    }
    if (input.catchCam != nullptr)
        input.catchCam->handleEvent(mouseEvent);
}

} // namespace Vextal
