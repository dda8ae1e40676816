#pragma once

#include "base/LatestOf.h"
#include "camera/CameraList.h"
#include "camera/CatchCam.h"
#include "camera/EventCatcher.h"
#include "input/WindowSystem.h"

#include <cstdint>
#include <memory>

namespace Vextal {

// The input layer's part of the viewer's state: the key state table as the
// frame loop and the cameras read it, the camera list, the mouse capture and
// the run flag the window procedure clears. While an InputState exists, the
// code of this layer reaches the one made last through inputState();
// destroying it brings back the one before, so a test starts afresh with one
// line. Members are destroyed in reverse order: the catcher goes before the
// cameras it steers.
class InputState {
public:
    InputState();
    InputState(const InputState&) = delete;
    InputState& operator=(const InputState&) = delete;

private:
    // First, so that the state is reachable while its other members are
    // made and destroyed.
    LatestOf<InputState> latest{*this};

public:
    // The table the frame loop and updateCamera read: set by the rendering
    // set-up to the entry function's table, null until then (readers then
    // see no key).
    std::int32_t* keyTable = nullptr;

    CameraList cameraList;

    // The event of the last message captureMouse saw, and the client
    // coordinates of the pointer at the last left or right press, from which
    // drags are measured.
    MouseEvent mouseEvent;
    float anchorX = 0;
    float anchorY = 0;
    // The one catcher, steering the listed cameras.
    std::unique_ptr<CatchCam> catchCam;

    // 1 while the run cycle should open a new window after a quit message; a
    // close request clears it.
    std::int32_t programRunning = 0;

    // What the window procedure asks of the window system; set by the viewer.
    WindowSystem* windowSystem = nullptr;
};

// The input state made last and not yet destroyed; one must exist.
InputState& inputState();

} // namespace Vextal
