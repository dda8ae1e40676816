#include "camera/CameraList.h"

namespace Vextal {

Camera* cameras[maxCameras] = {};
std::uint8_t cameraCount = 0;
std::uint8_t currentCamera = 0;
std::uint32_t windowHeight = 0;

Camera* listedCamera(std::int64_t index) {
    if (index < 0 || index >= cameraCount || index >= maxCameras)
        return nullptr;
    return cameras[index];
}

void resizeViewports(std::uint32_t width, std::uint32_t height) {
    windowHeight = height;
    for (int i = 0; i < cameraCount; ++i)
        if (Camera* camera = listedCamera(i))
            computePixelViewport(*camera, width, height);
}

void freeCameras() {
    for (Camera*& camera : cameras) {
        delete camera;
        camera = nullptr;
    }
    cameraCount = 0;
}

} // namespace Vextal
