#include "camera/Quaternion.h"

#include <gtest/gtest.h>

#include <numbers>

namespace Vextal {
namespace {

TEST(QuaternionTest, hamiltonProductFollowsIJK) {
    const Quaternion i{0, 1, 0, 0}, j{0, 0, 1, 0};
    EXPECT_EQ(multiplyQuaternions(i, j).z, 1.0f);  // i j = k
    EXPECT_EQ(multiplyQuaternions(j, i).z, -1.0f); // j i = -k
    EXPECT_EQ(multiplyQuaternions(i, i).w, -1.0f);
}

TEST(QuaternionTest, eulerTurnsAboutXThenYThenZ) {
    const double quarter = std::numbers::pi / 2;
    const Quaternion xThenY = eulerToQuaternion(quarter, quarter, 0);
    const Quaternion composed =
        multiplyQuaternions(eulerToQuaternion(0, quarter, 0), eulerToQuaternion(quarter, 0, 0));
    EXPECT_NEAR(xThenY.w, composed.w, 1e-6);
    EXPECT_NEAR(xThenY.x, composed.x, 1e-6);
    EXPECT_NEAR(xThenY.y, composed.y, 1e-6);
    EXPECT_NEAR(xThenY.z, composed.z, 1e-6);
    EXPECT_NEAR(eulerToQuaternion(0, 0, quarter).z, 0.70710678f, 1e-6);
}

TEST(QuaternionTest, normalizeScalesInPlaceAndLeavesZeroAlone) {
    Quaternion q{0, 3, 0, 4};
    EXPECT_EQ(&normalizeQuaternion(q), &q);
    EXPECT_FLOAT_EQ(q.x, 0.6f);
    EXPECT_FLOAT_EQ(q.z, 0.8f);
    Quaternion zero{0, 0, 0, 0};
    EXPECT_EQ(normalizeQuaternion(zero).w, 0.0f); // not NaN
}

} // namespace
} // namespace Vextal
