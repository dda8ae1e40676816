#include "camera/Quaternion.h"

#include <cmath>

namespace Vextal {

Quaternion eulerToQuaternion(double rx, double ry, double rz) {
    const double cx = std::cos(rx / 2), sx = std::sin(rx / 2);
    const double cy = std::cos(ry / 2), sy = std::sin(ry / 2);
    const double cz = std::cos(rz / 2), sz = std::sin(rz / 2);
    Quaternion q{float(cx * cy * cz + sx * sy * sz), float(sx * cy * cz - cx * sy * sz),
                 float(cx * sy * cz + sx * cy * sz), float(cx * cy * sz - sx * sy * cz)};
    return normalizeQuaternion(q);
}

Quaternion multiplyQuaternions(const Quaternion& p, const Quaternion& q) {
    const double pw = p.w, px = p.x, py = p.y, pz = p.z;
    const double qw = q.w, qx = q.x, qy = q.y, qz = q.z;
    return {
        float(pw * qw - px * qx - py * qy - pz * qz), float(pw * qx + px * qw + py * qz - pz * qy),
        float(pw * qy - px * qz + py * qw + pz * qx), float(pw * qz + px * qy - py * qx + pz * qw)};
}

Quaternion& normalizeQuaternion(Quaternion& q) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    const float sum = float(w * w + x * x + y * y + z * z);
    const float length = float(std::sqrt(double(sum)));
    if (length == 0.0f)
        return q;
    q.w /= length;
    q.x /= length;
    q.y /= length;
    q.z /= length;
    return q;
}

} // namespace Vextal
