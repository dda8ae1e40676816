#include "InputFixture.h"

#include "camera/CameraView.h"

#include <cmath>

namespace Vextal {
namespace {

using CameraViewTest = InputFixture;

TEST_F(CameraViewTest, aspectRatioIsThePixelQuotient) {
    Camera& camera = listWhole();
    EXPECT_DOUBLE_EQ(aspectRatio(camera), 800.0 / 600.0);
    resizeViewports(801, 0);
    EXPECT_FALSE(hasPixelArea(camera));
    EXPECT_EQ(aspectRatio(camera), 0.0);
}

TEST_F(CameraViewTest, pendingTurnBecomesAngleAndAxisOnce) {
    Camera& camera = listWhole();
    EXPECT_EQ(advanceOrientation(camera).angleDegrees, 0.0f);
    camera.pendingRotation = {0, 0.5f, 0};
    const CameraTurn turn = advanceOrientation(camera);
    EXPECT_NEAR(turn.angleDegrees, 28.6478897f, 1e-4);
    EXPECT_EQ(turn.axisX, 0.0f);
    EXPECT_NEAR(turn.axisY, std::sin(0.25), 1e-7); // unnormalised
    EXPECT_EQ(turn.axisZ, 0.0f);
    EXPECT_EQ(camera.pendingRotation.y, 0.0f);
    EXPECT_NEAR(advanceOrientation(camera).angleDegrees, 28.6478897f, 1e-4);
}

TEST_F(CameraViewTest, incrementTurnsAboutTheEyesFixedAxes) {
    // A quarter turn about x, then one about y. About the eye's fixed axes the
    // result is (1/2, 1/2, 1/2, -1/2); about the scene's turned axes it would
    // be (1/2, 1/2, 1/2, 1/2).
    const float quarter = float(std::acos(0.0));
    Camera& camera = listWhole();
    camera.pendingRotation = {quarter, 0, 0};
    advanceOrientation(camera);
    camera.pendingRotation = {0, quarter, 0};
    advanceOrientation(camera);
    EXPECT_NEAR(camera.orientation.w, 0.5f, 1e-6);
    EXPECT_NEAR(camera.orientation.y, 0.5f, 1e-6);
    EXPECT_NEAR(camera.orientation.z, -0.5f, 1e-6);
}

TEST_F(CameraViewTest, wPastOneGivesAngleZeroNotNaN) {
    EXPECT_EQ(turnOf({std::nextafter(1.0f, 2.0f), 0, 0, 0}).angleDegrees, 0.0f);
    EXPECT_FLOAT_EQ(turnOf({std::nextafter(-1.0f, -2.0f), 0, 0, 0}).angleDegrees, 360.0f);
}

} // namespace
} // namespace Vextal
