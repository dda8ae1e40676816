#include "camera/FillView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Vextal {
namespace {

// Where v lands in the view, -1 to 1 each way, as OpenGL would draw it:
// glRotatef by the orientation's angle and axis, then the translation.
struct Projected {
    double x, y, depth;
};
Projected project(const Vec3& v, const Quaternion& q, const Vec3& t, double aspect) {
    const double angle = 2 * std::acos(double(q.w));
    const double s = std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z);
    const double ux = q.x / s, uy = q.y / s, uz = q.z / s, c = std::cos(angle), n = std::sin(angle);
    const double dot = ux * v.x + uy * v.y + uz * v.z;
    // Rodrigues' formula, written apart from the code under test.
    const double x = v.x * c + (uy * v.z - uz * v.y) * n + ux * dot * (1 - c) + t.x;
    const double y = v.y * c + (uz * v.x - ux * v.z) * n + uy * dot * (1 - c) + t.y;
    const double z = v.z * c + (ux * v.y - uy * v.x) * n + uz * dot * (1 - c) + t.z;
    const double half = std::tan(22.5 * M_PI / 180);
    return {x / (-z * half * aspect), y / (-z * half), -z};
}

TEST(FillViewTest, turnedBoxOffTheOriginFillsTheViewInsideItsBorder) {
    std::vector<Vec3> box;
    for (float x : {2.0f, 4.5f})
        for (float y : {-1.0f, 0.5f})
            for (float z : {-3.0f, -2.0f})
                box.push_back({x, y, z});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    box.push_back({nan, 0, 0}); // left out, not spoiling the bounds
    const Quaternion turned = eulerToQuaternion(0.4, 3.61, 0);
    const double aspect = 4.0 / 3.0;
    const auto t = fillingTranslation(box, turned, {.aspect = aspect}, 0.04);
    ASSERT_TRUE(t.has_value());
    double widest = 0;
    for (std::size_t k = 0; k + 1 < box.size(); ++k) {
        const Projected p = project(box[k], turned, *t, aspect);
        EXPECT_LE(std::max(std::abs(p.x), std::abs(p.y)), 0.96 + 1e-5);
        EXPECT_GT(p.depth, 1.0); // past the near plane
        widest = std::max({widest, std::abs(p.x), std::abs(p.y)});
    }
    EXPECT_NEAR(widest, 0.96, 1e-4); // touches the border: nothing wasted
}

TEST(FillViewTest, nothingToFrameGivesNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Vec3> none = {{nan, nan, nan}};
    EXPECT_FALSE(fillingTranslation({}, Quaternion{}, {}).has_value());
    EXPECT_FALSE(fillingTranslation(none, Quaternion{}, {}).has_value());
}

} // namespace
} // namespace Vextal
