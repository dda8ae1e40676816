#pragma once

#include "camera/Camera.h"
#include "camera/EventCatcher.h"

#include <cstdint>

namespace Vextal {

// Steers cameraList[cameraIndex] by the mouse: the wheel and a drag with both
// buttons move it along forward, a left drag pans, a right drag turns the scene.
class CatchCam : public EventCatcher {
public:
    static constexpr int cameraKind = 1;

    explicit CatchCam(Camera** cameraList, std::int32_t cameraIndex = 0)
        : cameraList(cameraList), cameraIndex(cameraIndex) {}

    // Does nothing unless cameraIndex names a listed camera (below cameraCount).
    void handleEvent(const MouseEvent& event) override;
    int kind() const override { return cameraKind; }

    Camera** cameraList;
    std::int32_t cameraIndex;
};

// The one catcher, steering the listed cameras. Created before main runs and
// destroyed at exit, before the listed cameras are freed.
extern CatchCam* catchCam;

} // namespace Vextal
