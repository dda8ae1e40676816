#include "InputFixture.h"

#include "camera/MouseCapture.h"
#include "input/WindowMessages.h"

namespace Vextal {
namespace {

class MouseCaptureTest : public InputFixture {
protected:
    void press(std::int32_t x, std::int32_t y) {
        captureMouse(WM_LBUTTONDOWN, 0, makeLParam(x, y));
    }
    void move(std::int32_t x, std::int32_t y, std::uint32_t buttons) {
        captureMouse(WM_MOUSEMOVE, buttons, makeLParam(x, y));
    }
    void wheel(std::int32_t delta, std::uint32_t keys = 0) {
        captureMouse(WM_MOUSEWHEEL, makeWheelWParam(delta, keys), makeLParam(10, 10));
    }
};

TEST_F(MouseCaptureTest, pressSelectsCameraUnderPointerForKeysAndMouse) {
    list(0, 0, 0.5f, 1);
    list(0.5f, 0, 0.5f, 1);
    captureMouse(WM_RBUTTONDOWN, MK_RBUTTON, makeLParam(600, 300));
    EXPECT_EQ(currentCamera, 1);
    EXPECT_EQ(catchCam->cameraIndex, 1);
    EXPECT_EQ(anchorX, 600.0f);
    EXPECT_EQ(anchorY, 300.0f);
    EXPECT_EQ(mouseEvent.right, 0); // the press itself carries nothing
}

TEST_F(MouseCaptureTest, viewportBoundsAreInclusiveAndHighestIndexWins) {
    listWhole();
    list(0.25f, 0.25f, 0.5f, 0.5f); // columns 200..600, window rows 150..450
    press(600, 150);
    EXPECT_EQ(currentCamera, 1);
    press(601, 150);
    EXPECT_EQ(currentCamera, 0);
    press(200, 451);
    EXPECT_EQ(currentCamera, 0);
}

TEST_F(MouseCaptureTest, pressOutsideEveryViewportKeepsCameraButMovesAnchor) {
    list(0, 0, 0.5f, 0.5f);
    list(0, 0, 0.5f, 0.5f);
    currentCamera = 1;
    press(700, 100);
    press(-1, 599); // left of the client area: column -1, not 65535
    EXPECT_EQ(currentCamera, 1);
    EXPECT_EQ(anchorX, -1.0f);
    EXPECT_EQ(anchorY, 599.0f);
    // Above the client area, even where a viewport reaches past the top edge
    // (camera 2: rows 300 to 900 of a 600-row window).
    list(0, 0.5f, 1, 1);
    press(100, -1);
    EXPECT_EQ(currentCamera, 1);
    EXPECT_EQ(anchorY, -1.0f);
}

TEST_F(MouseCaptureTest, missingCameraIsNeverTouched) {
    initCamera(owned[1], 0, 0, 1, 1);
    cameras[1] = &owned[1]; // in the array but not listed
    catchCam->cameraIndex = 3;
    press(5, 6); // no camera listed: selects nothing
    EXPECT_EQ(catchCam->cameraIndex, 0);
    EXPECT_EQ(anchorX, 5.0f);
    move(50, 60, MK_LBUTTON | MK_RBUTTON);
    listWhole();
    for (std::int32_t index : {1, -1}) {
        catchCam->cameraIndex = index;
        wheel(WHEEL_DELTA);
    }
    EXPECT_EQ(owned[1].translation.z, 0.0f);
    EXPECT_EQ(owned[0].translation.z, -5.0f);
}

TEST_F(MouseCaptureTest, pressAndReleaseWithoutMovingMovesNothing) {
    Camera& camera = listWhole();
    press(100, 100);
    captureMouse(WM_LBUTTONUP, MK_LBUTTON, makeLParam(140, 100));
    EXPECT_EQ(mouseEvent.left, 0);
    move(100, 100, MK_LBUTTON);
    EXPECT_EQ(camera.translation.x, 0.0f);
    EXPECT_EQ(camera.translation.z, -5.0f);
}

TEST_F(MouseCaptureTest, leftDragPansByTheWholeOffsetPerMove) {
    Camera& camera = listWhole();
    press(100, 100);
    move(130, 80, MK_LBUTTON);
    EXPECT_FLOAT_EQ(camera.translation.x, 0.03f);
    EXPECT_FLOAT_EQ(camera.translation.y, 0.02f); // pointer up, scene up
    move(130, 80, MK_LBUTTON);
    EXPECT_FLOAT_EQ(camera.translation.x, 0.06f);
}

TEST_F(MouseCaptureTest, rightDragGathersTurnForTheNextFrame) {
    Camera& camera = listWhole();
    press(100, 100);
    move(200, 100, MK_RBUTTON);
    EXPECT_FLOAT_EQ(camera.pendingRotation.y, 0.1f);
    move(200, 150, MK_RBUTTON);
    EXPECT_FLOAT_EQ(camera.pendingRotation.y, 0.2f);
    EXPECT_FLOAT_EQ(camera.pendingRotation.x, 0.05f);
    EXPECT_EQ(camera.translation.x, 0.0f);
}

TEST_F(MouseCaptureTest, bothButtonsApproachByDragLengthNeverAway) {
    Camera& camera = listWhole();
    press(100, 100);
    move(118, 124, MK_LBUTTON | MK_RBUTTON);
    EXPECT_FLOAT_EQ(camera.translation.z, 25.0f);
    move(82, 76, MK_LBUTTON | MK_RBUTTON);
    EXPECT_FLOAT_EQ(camera.translation.z, 55.0f);
}

TEST_F(MouseCaptureTest, wheelNotchMovesAlongForward) {
    Camera& camera = listWhole();
    wheel(WHEEL_DELTA);
    EXPECT_EQ(camera.translation.z, -5.0f + 0.32768f);
    camera.translation.z = -5;
    wheel(-WHEEL_DELTA, MK_LBUTTON);
    EXPECT_EQ(mouseEvent.wheel, -65535); // the key bit shifts it by one
    EXPECT_NEAR(camera.translation.z, -5.0f - 0.32768f, 1e-5);
}

TEST_F(MouseCaptureTest, dragPastTheEdgeReadsNegativeOffset) {
    Camera& camera = listWhole();
    press(5, 5);
    move(-3, -2, MK_LBUTTON);
    EXPECT_EQ(mouseEvent.dx, -8.0f);
    EXPECT_EQ(mouseEvent.dy, -7.0f);
    EXPECT_FLOAT_EQ(camera.translation.x, -0.008f);
}

} // namespace
} // namespace Vextal
