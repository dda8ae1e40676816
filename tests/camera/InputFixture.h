#pragma once

#include "camera/CameraList.h"
#include "input/InputState.h"
#include "input/KeyState.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

namespace Vextal {

// A fresh input state for each test, with the key table published and the
// cameras a test lists taken from `owned`; the state's members are reached
// under their own names.
class InputFixture : public ::testing::Test {
protected:
    InputFixture() { input.keyTable = keys.data(); }
    // The owned cameras are not the list's to delete.
    ~InputFixture() override {
        for (Camera*& camera : cameras)
            camera = nullptr;
    }

    // Lists owned[index] with the given viewport fractions, 5 units before the
    // eye as a newly listed camera is, and sizes every listed camera to 800 x 600.
    Camera& list(float x, float y, float width, float height) {
        Camera& camera = owned[cameraCount];
        initCamera(camera, x, y, width, height);
        camera.translation.z = -5;
        cameras[cameraCount++] = &camera;
        resizeViewports(800, 600);
        return camera;
    }
    Camera& listWhole() { return list(0, 0, 1, 1); }

    std::array<Camera, maxCameras> owned{};
    std::array<std::int32_t, keyTableSize> keys{};
    InputState input;
    Camera* (&cameras)[maxCameras] = input.cameraList.cameras;
    std::uint8_t& cameraCount = input.cameraList.cameraCount;
    std::uint8_t& currentCamera = input.cameraList.currentCamera;
    std::uint32_t& windowHeight = input.cameraList.windowHeight;
    MouseEvent& mouseEvent = input.mouseEvent;
    float& anchorX = input.anchorX;
    float& anchorY = input.anchorY;
    std::unique_ptr<CatchCam>& catchCam = input.catchCam;
};

} // namespace Vextal
