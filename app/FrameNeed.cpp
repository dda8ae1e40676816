#include "app/FrameNeed.h"

#include "input/KeyState.h"
#include "render/RenderState.h"

#include <cstring>

namespace Vextal {

namespace {

// Cameras are compared bit for bit: nothing may lie between their fields.
static_assert(sizeof(Camera) == sizeof(float) * 21, "Camera holds 21 four-byte fields");

constexpr std::uint32_t buttonBits = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

// The button a press or release message is about; 0 for other messages.
std::uint32_t buttonOf(std::uint32_t message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return MK_LBUTTON;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return MK_RBUTTON;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return MK_MBUTTON;
    default:
        return 0;
    }
}

bool isPress(std::uint32_t message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// Keys whose action changes the picture in every frame while held.
bool repeatingKeyHeld(const std::int32_t* keys) {
    return keyHeld(keys, VK_R) || keyHeld(keys, VK_PRIOR) || keyHeld(keys, VK_NEXT) ||
           keyHeld(keys, VK_CONTROL);
}

} // namespace

void FrameNeed::noteMessage(const Message& message) {
    switch (message.message) {
    case WM_PAINT:
    case WM_SIZE:
        requested = true;
        break;
    case WM_MOUSEMOVE:
        // Every move carries the buttons really held; it mends a lost release.
        buttons = std::uint32_t(message.wParam) & buttonBits;
        break;
    case WM_KILLFOCUS:
        buttons = 0;
        break;
    default:
        if (const std::uint32_t button = buttonOf(message.message))
            buttons = isPress(message.message) ? buttons | button : buttons & ~button;
        break;
    }
}

bool FrameNeed::needed(const std::int32_t* keys, const RenderState& render,
                       const CameraList& list) const {
    if (requested || buttons != 0 || repeatingKeyHeld(keys))
        return true;
    if (render.wireframe != wireframe || render.showNormals != showNormals ||
        list.cameraCount != cameraCount)
        return true;
    for (int k = 0; k < list.cameraCount && k < maxCameras; ++k)
        if (list.cameras[k] && std::memcmp(list.cameras[k], &cameras[k], sizeof(Camera)) != 0)
            return true;
    return false;
}

void FrameNeed::drawn(const RenderState& render, const CameraList& list) {
    requested = false;
    wireframe = render.wireframe;
    showNormals = render.showNormals;
    cameraCount = list.cameraCount;
    for (int k = 0; k < list.cameraCount && k < maxCameras; ++k)
        if (list.cameras[k])
            cameras[k] = *list.cameras[k];
}

} // namespace Vextal
