#pragma once

#include "app/Platform.h"
#include "camera/CameraList.h"

#include <cstdint>

namespace Vextal {

class RenderState;

// Tells whether the next frame may show anything the last drawn one did not,
// so that an idle viewer draws nothing and sleeps. Asked after the key
// actions and the camera update of a frame; a frame is drawn when
// - something asked for one: the first frame, an exposure, a restore or a
//   resize of the window, a load;
// - a key whose action repeats in every frame is held (R, Page Up, Page
//   Down, Control) or a mouse button is: frames then follow back to back;
// - a display switch or any field of a listed camera differs from what the
//   last frame was drawn with (compared bit for bit, so a NaN that stays a
//   NaN is no change).
class FrameNeed {
public:
    // A message the window procedure has handled.
    void noteMessage(const Message& message);
    // Something outside the cameras and switches changes the picture.
    void request() { requested = true; }

    bool needed(const std::int32_t* keys, const RenderState& render,
                const CameraList& cameras) const;
    // After drawing: what the frame showed.
    void drawn(const RenderState& render, const CameraList& cameras);

    // How long the last drawn frame took, from clearing to the swap.
    std::uint32_t lastFrameMilliseconds = 0;

private:
    bool requested = true;
    std::uint32_t buttons = 0; // MK_* bits held, as the messages tell
    bool wireframe = false;
    bool showNormals = false;
    std::uint8_t cameraCount = 0;
    Camera cameras[maxCameras] = {};
};

} // namespace Vextal
