#pragma once

#include "camera/Camera.h"

#include <cstdint>

namespace Vextal {

inline constexpr int maxCameras = 4;

// The listed cameras, drawn in index order; the first cameraCount entries are
// set. The list owns them: each is allocated with new and deleted at process
// exit, after the mouse catcher that steers them.
extern Camera* cameras[maxCameras];
extern std::uint8_t cameraCount;
// The camera the keys move and the mouse selects.
extern std::uint8_t currentCamera;
// The client height last given to resizeViewports.
extern std::uint32_t windowHeight;

// cameras[index] when index names a listed camera, otherwise null.
Camera* listedCamera(std::int64_t index);

// Stores the client height and recomputes every listed camera's pixel viewport.
void resizeViewports(std::uint32_t width, std::uint32_t height);

// Deletes every listed camera and empties the list.
void freeCameras();

} // namespace Vextal
