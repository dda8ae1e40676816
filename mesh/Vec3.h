#pragma once

#include <cstdint>

namespace Vextal {

// Three consecutive 32-bit floats with nothing between them: vertex and normal
// arrays are handed to OpenGL as they are, with stride 0. All arithmetic here is
// single precision, so every operation rounds to float exactly once.
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
static_assert(sizeof(Vec3) == 12, "Vec3 must be three packed floats");

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3& operator+=(Vec3& a, Vec3 b) {
    a.x += b.x;
    a.y += b.y;
    a.z += b.z;
    return a;
}

inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Three vertex indices; a triangle array is read by OpenGL as one flat run of
// 3 x count unsigned 32-bit indices.
struct Triangle {
    std::uint32_t i0;
    std::uint32_t i1;
    std::uint32_t i2;
};
static_assert(sizeof(Triangle) == 12, "Triangle must be three packed indices");

} // namespace Vextal
