#pragma once

#include "camera/Camera.h"

#include <cstdint>

namespace Vextal {

inline constexpr int maxCameras = 4;

// The listed cameras, drawn in index order: the first cameraCount entries are
// set, the others null. The list owns them: each is allocated with new and
// deleted with the list.
struct CameraList {
    CameraList() = default;
    CameraList(const CameraList&) = delete;
    CameraList& operator=(const CameraList&) = delete;
    ~CameraList() { freeCameras(); }

    // Deletes every listed camera and empties the list.
    void freeCameras();

    Camera* cameras[maxCameras] = {};
    std::uint8_t cameraCount = 0;
    // The camera the keys move and the mouse selects.
    std::uint8_t currentCamera = 0;
    // The client size last given to resizeViewports, and the width at the
    // window's left that the views were kept out of.
    std::uint32_t windowWidth = 0;
    std::uint32_t windowHeight = 0;
    std::uint32_t viewsLeft = 0;
};

// The camera list of the current input state (input/InputState.h).
CameraList& listedCameras();

// cameras[index] when index names a listed camera, otherwise null.
Camera* listedCamera(std::int64_t index);

// Stores the client size and recomputes every listed camera's pixel viewport,
// the views laid out in the part of the window right of `left` pixels.
void resizeViewports(std::uint32_t width, std::uint32_t height, std::uint32_t left = 0);

} // namespace Vextal
