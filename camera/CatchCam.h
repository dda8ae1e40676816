#pragma once

#include "camera/Camera.h"
#include "camera/CameraList.h"
#include "camera/EventCatcher.h"

#include <cstdint>

namespace Vextal {

// Steers cameraList[cameraIndex] by the mouse: the wheel and a drag with both
// buttons move it along forward, a left drag pans, a right drag turns the scene.
class CatchCam : public EventCatcher {
public:
    explicit CatchCam(Camera** cameraList, std::int32_t cameraIndex = 0)
        : cameraList(cameraList), cameraIndex(cameraIndex) {}

    // Does nothing unless cameraIndex names a listed camera (below the
    // cameraCount of the list it steers).
    void handleEvent(const MouseEvent& event) override;

    Camera** cameraList;
    std::int32_t cameraIndex;
};

} // namespace Vextal
