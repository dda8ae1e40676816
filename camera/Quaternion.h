#pragma once

namespace Vextal {

// A rotation by angle a about the unit axis u is (cos a/2, u sin a/2).
struct Quaternion {
    float w = 1;
    float x = 0;
    float y = 0;
    float z = 0;
};

// The rotation by rx about x, followed by ry about y, followed by rz about z
// (radians), normalised.
Quaternion eulerToQuaternion(double rx, double ry, double rz);

// The Hamilton product p q: the rotation q followed by the rotation p.
Quaternion multiplyQuaternions(const Quaternion& p, const Quaternion& q);

// Scales q to unit length in place and returns it. A zero quaternion has no
// direction and is left as it is.
Quaternion& normalizeQuaternion(Quaternion& q);

} // namespace Vextal
