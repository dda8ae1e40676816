#include "camera/CameraList.h"

#include "input/InputState.h"

namespace Vextal {

void CameraList::freeCameras() {
    for (Camera*& camera : cameras) {
        delete camera;
        camera = nullptr;
    }
    cameraCount = 0;
}

CameraList& listedCameras() {
    return inputState().cameraList;
}

Camera* listedCamera(std::int64_t index) {
    const CameraList& list = listedCameras();
    if (index < 0 || index >= list.cameraCount || index >= maxCameras)
        return nullptr;
    return list.cameras[index];
}

void resizeViewports(std::uint32_t width, std::uint32_t height, std::uint32_t left) {
    CameraList& list = listedCameras();
    list.windowWidth = width;
    list.windowHeight = height;
    list.viewsLeft = left < width ? left : 0;
    for (int i = 0; i < list.cameraCount; ++i)
        if (Camera* camera = listedCamera(i)) {
            computePixelViewport(*camera, width - list.viewsLeft, height);
            camera->pixelX += std::int32_t(list.viewsLeft);
        }
}

} // namespace Vextal
