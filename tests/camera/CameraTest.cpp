#include "InputFixture.h"

#include "input/WindowMessages.h"

#include <limits>
#include <vector>

namespace Vextal {
namespace {

using CameraTest = InputFixture;

TEST_F(CameraTest, pixelViewportTruncatesTowardZero) {
    Camera camera;
    initCamera(camera, 0.5f, 0.53f, 0.5f, 0.25f);
    computePixelViewport(camera, 801, 200);
    EXPECT_EQ(camera.pixelX, 400); // 400.5
    EXPECT_EQ(camera.pixelWidth, 400);
    EXPECT_EQ(camera.pixelY, 105); // 0.53f * 200 is 105.99999
    EXPECT_EQ(camera.pixelHeight, 50);
    initCamera(camera, 0, 0, 1e10f, std::numeric_limits<float>::quiet_NaN());
    computePixelViewport(camera, 800, 600);
    EXPECT_EQ(camera.pixelWidth, 0); // out of range: empty, not undefined
    EXPECT_EQ(camera.pixelHeight, 0);
}

TEST_F(CameraTest, resizeSizesEveryListedCameraOnly) {
    Camera& left = list(0, 0, 0.5f, 1);
    Camera& right = list(0.5f, 0, 0.5f, 1);
    initCamera(owned[2], 0, 0, 1, 1); // not listed
    resizeViewports(1000, 300);
    EXPECT_EQ(left.pixelWidth, 500);
    EXPECT_EQ(right.pixelX, 500);
    EXPECT_EQ(right.pixelHeight, 300);
    EXPECT_EQ(owned[2].pixelWidth, 0);
    EXPECT_EQ(windowHeight, 300u);
}

TEST_F(CameraTest, pageKeysMoveFortyUnitsPerSecondWhateverTheFrameSplit) {
    std::vector<std::uint32_t> uneven(60, 16);
    uneven.back() = 56; // 59 x 16 + 56 = 1000
    Camera& camera = listWhole();
    keys[VK_PRIOR] = 1;
    for (const auto& frames :
         {std::vector<std::uint32_t>{1000}, std::vector<std::uint32_t>(1000, 1), uneven}) {
        camera.translation = {0, 0, -5};
        for (std::uint32_t elapsed : frames)
            updateCamera(elapsed);
        EXPECT_NEAR(camera.translation.z, 35.0f, 1e-3) << frames.size() << " frames";
    }
    keys[VK_PRIOR] = 0;
    keys[VK_NEXT] = 1;
    updateCamera(250);
    EXPECT_NEAR(camera.translation.z, 25.0f, 1e-3);
}

TEST_F(CameraTest, controlResetWinsOverPageUpAndKeepsMouseTurn) {
    Camera& camera = listWhole();
    camera.translation = {1, 2, 3};
    camera.orientation = {0, 1, 0, 0};
    camera.pendingRotation = {0.5f, 0, 0};
    keys[VK_PRIOR] = keys[VK_CONTROL] = 1;
    updateCamera(100);
    EXPECT_EQ(camera.translation.x, 0.0f);
    EXPECT_EQ(camera.translation.z, -5.0f);
    EXPECT_EQ(camera.orientation.w, 1.0f);
    EXPECT_EQ(camera.orientation.x, 0.0f);
    EXPECT_EQ(camera.pendingRotation.x, 0.5f);
}

TEST_F(CameraTest, keysMoveOnlyAListedCurrentCamera) {
    Camera& first = listWhole();
    initCamera(owned[1], 0, 0, 1, 1);
    cameras[1] = &owned[1]; // in the array but not listed
    keys[VK_PRIOR] = 1;
    currentCamera = 1;
    updateCamera(1000);
    EXPECT_EQ(owned[1].translation.z, 0.0f);
    EXPECT_EQ(first.translation.z, -5.0f);
    listWhole();
    updateCamera(1000);
    EXPECT_EQ(owned[1].translation.z, 35.0f);
    EXPECT_EQ(first.translation.z, -5.0f);
}

} // namespace
} // namespace Vextal
