#pragma once

#include "app/KeyState.h"
#include "camera/CameraList.h"
#include "camera/MouseCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace Vextal {

// Owns the cameras and the key table a test lists, and leaves every input
// global as a fresh process has it.
class InputFixture : public ::testing::Test {
protected:
    void SetUp() override { keyTable = keys.data(); }

    void TearDown() override {
        for (Camera*& camera : cameras)
            camera = nullptr;
        cameraCount = currentCamera = 0;
        windowHeight = 0;
        keyTable = nullptr;
        anchorX = anchorY = 0;
        mouseEvent = MouseEvent{};
        catchCam->cameraIndex = 0;
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
};

} // namespace Vextal
