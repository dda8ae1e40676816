#include "meshfiles/MeshCheck.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <cmath>
#include <cstdio>

namespace Vextal {

namespace {

bool isFinite(Vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::uint32_t countNonFinite(const Vec3* vectors, std::uint32_t count) {
    std::uint32_t found = 0;
    for (std::uint32_t k = 0; k < count; ++k)
        found += isFinite(vectors[k]) ? 0 : 1;
    return found;
}

std::string countOf(std::uint32_t found, std::uint32_t total, const char* what) {
    return std::to_string(found) + " of " + std::to_string(total) + " " + what;
}

} // namespace

std::string checkFinitePositions(const PolygonsIndexedNormal& mesh) {
    const std::uint32_t found = countNonFinite(mesh.vertices, mesh.vertexCount);
    if (found == 0)
        return {};
    return countOf(found, mesh.vertexCount, "vertices have NaN or infinite coordinates");
}

std::string checkFinitePositionsAndNormals(const PolygonsIndexedNormal& mesh) {
    std::string reason = checkFinitePositions(mesh);
    if (!reason.empty())
        return reason;
    const std::uint32_t found = countNonFinite(mesh.normals, mesh.normalCount);
    if (found == 0)
        return {};
    return countOf(found, mesh.normalCount,
                   "vertex normals are NaN or infinite (coordinates too large to square)");
}

std::string checkCoordinatesWithin(const PolygonsIndexedNormal& mesh, double largest) {
    std::uint32_t found = 0;
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        const Vec3& v = mesh.vertices[k];
        found += std::fabs(v.x) > largest || std::fabs(v.y) > largest || std::fabs(v.z) > largest;
    }
    if (found == 0)
        return {};
    char bound[80];
    std::snprintf(bound, sizeof bound, "vertices have a coordinate beyond %g, the format's limit",
                  largest);
    return countOf(found, mesh.vertexCount, bound);
}

} // namespace Vextal
