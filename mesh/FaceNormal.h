#pragma once

#include "mesh/Vec3.h"

namespace Vextal {

// Length below which a vector is left as it is instead of being divided by it.
inline constexpr double normalLengthThreshold = 3e-17;

// Face normal (p2 - p0) x (p1 - p0), made unit length unless it is shorter than
// the threshold. The triangles of a surface run clockwise seen from outside,
// so this normal points outwards.
Vec3 faceNormal(const Triangle& triangle, const Vec3* vertices);

// Divides v by its length when that length, taken in single precision, is
// greater than the threshold; a NaN length leaves v unchanged.
Vec3 normalizedOrKept(Vec3 v);

} // namespace Vextal
