#include "camera/FillView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

struct Point {
    double x, y, z;
};

// q v q* for a unit q: the turn glRotatef makes of the angle and axis of q.
Point rotate(const Quaternion& q, const Vec3& v) {
    const double w = q.w, qx = q.x, qy = q.y, qz = q.z;
    // t = 2 (q.xyz x v); v' = v + w t + q.xyz x t
    const double tx = 2 * (qy * v.z - qz * v.y);
    const double ty = 2 * (qz * v.x - qx * v.z);
    const double tz = 2 * (qx * v.y - qy * v.x);
    return {v.x + w * tx + (qy * tz - qz * ty), v.y + w * ty + (qz * tx - qx * tz),
            v.z + w * tz + (qx * ty - qy * tx)};
}

bool isFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

std::optional<Vec3> fillingTranslation(std::span<const Vec3> vertices,
                                       const Quaternion& orientation, const ViewVolume& view,
                                       double border) {
    double low[2] = {HUGE_VAL, HUGE_VAL}, high[2] = {-HUGE_VAL, -HUGE_VAL};
    for (const Vec3& v : vertices) {
        if (!isFinite(v))
            continue;
        const Point p = rotate(orientation, v);
        low[0] = std::min(low[0], p.x), high[0] = std::max(high[0], p.x);
        low[1] = std::min(low[1], p.y), high[1] = std::max(high[1], p.y);
    }
    if (!(low[0] <= high[0]))
        return std::nullopt;
    const double centreX = (low[0] + high[0]) / 2, centreY = (low[1] + high[1]) / 2;
    // Half the view's height and width at one unit in front of the eye,
    // less the border.
    const double halfY = std::tan(view.fieldOfViewYDegrees * std::numbers::pi / 360) * (1 - border);
    const double halfX = halfY * view.aspect;
    // A vertex at depth z (towards the eye) is inside when the eye stands at
    // least z + |offset| / half back; every vertex stays past the near plane.
    double distance = 0;
    for (const Vec3& v : vertices) {
        if (!isFinite(v))
            continue;
        const Point p = rotate(orientation, v);
        const double across =
            std::max(std::abs(p.x - centreX) / halfX, std::abs(p.y - centreY) / halfY);
        distance = std::max({distance, p.z + across, p.z + view.nearPlane * 1.01});
    }
    return Vec3{float(-centreX), float(-centreY), float(-distance)};
}

} // namespace Vextal
