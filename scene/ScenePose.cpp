#include "scene/ScenePose.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <cmath>

namespace Vextal {

std::optional<ScenePose> poseRule(const float* v) {
    for (int k = 0; k < 8; ++k)
        if (!std::isfinite(v[k]))
            return std::nullopt;
    if (!(v[7] > 0))
        return std::nullopt;
    const double length =
        std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
    ScenePose pose;
    pose.angle = v[3];
    pose.translation = {v[4], v[5], v[6]};
    pose.scale = v[7];
    if (length > 0)
        pose.axis = {float(v[0] / length), float(v[1] / length), float(v[2] / length)};
    else if (v[3] != 0)
        return std::nullopt;
    return pose;
}

// Rodrigues' formula: R = cos a I + sin a [k]x + (1 - cos a) k k^T.
std::array<double, 9> rotationMatrix(const ScenePose& pose) {
    const double x = pose.axis[0], y = pose.axis[1], z = pose.axis[2];
    const double c = std::cos(double(pose.angle)), s = std::sin(double(pose.angle));
    const double t = 1 - c;
    return {c + t * x * x,     t * x * y - s * z, t * x * z + s * y,
            t * x * y + s * z, c + t * y * y,     t * y * z - s * x,
            t * x * z - s * y, t * y * z + s * x, c + t * z * z};
}

namespace {

Vec3 turned(const std::array<double, 9>& r, const Vec3& p, double scale,
            const std::array<float, 3>& shift) {
    const double x = p.x, y = p.y, z = p.z;
    return {float(scale * (r[0] * x + r[1] * y + r[2] * z) + shift[0]),
            float(scale * (r[3] * x + r[4] * y + r[5] * z) + shift[1]),
            float(scale * (r[6] * x + r[7] * y + r[8] * z) + shift[2])};
}

} // namespace

void applyPose(const ScenePose& pose, PolygonsIndexedNormal& mesh) {
    const std::array<double, 9> r = rotationMatrix(pose);
    for (std::uint32_t i = 0; i < mesh.vertexCount; ++i)
        mesh.vertices[i] = turned(r, mesh.vertices[i], pose.scale, pose.translation);
    for (std::uint32_t i = 0; i < mesh.normalCount; ++i)
        mesh.normals[i] = turned(r, mesh.normals[i], 1.0, {0, 0, 0});
}

} // namespace Vextal
