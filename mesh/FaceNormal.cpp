#include "mesh/FaceNormal.h"

#include <cmath>

namespace Vextal {

Vec3 normalizedOrKept(Vec3 v) {
    // The sum of squares and the root are both rounded to float before the
    // test, so the threshold sees exactly what a float-only reader would.
    const float squares = v.x * v.x + v.y * v.y + v.z * v.z;
    const float length = std::sqrt(squares);
    if (static_cast<double>(length) > normalLengthThreshold)
        return {v.x / length, v.y / length, v.z / length};
    return v;
}

Vec3 faceNormal(const Triangle& triangle, const Vec3* vertices) {
    const Vec3 p0 = vertices[triangle.i0];
    const Vec3 p1 = vertices[triangle.i1];
    const Vec3 p2 = vertices[triangle.i2];
    const Vec3 a = p1 - p0;
    const Vec3 b = p0 - p2;
    return normalizedOrKept(cross(a, b));
}

} // namespace Vextal
