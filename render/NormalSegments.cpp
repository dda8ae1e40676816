#include "render/NormalSegments.h"

#include "mesh/PolygonsIndexedNormal.h"

namespace Vextal {

const std::vector<Vec3>& NormalSegments::pointsFor(const PolygonsIndexedNormal& mesh) {
    if (source != &mesh || sourceRevision != mesh.revision) {
        build(mesh);
        source = &mesh;
        sourceRevision = mesh.revision;
    }
    return points;
}

void NormalSegments::build(const PolygonsIndexedNormal& mesh) {
    used.assign(mesh.vertexCount, 0);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& triangle = mesh.triangles[t];
        used[triangle.i0] = used[triangle.i1] = used[triangle.i2] = 1;
    }
    points.clear();
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        if (!used[k])
            continue;
        const Vec3 p = mesh.vertices[k];
        const Vec3 n = mesh.normals[k];
        points.push_back(p);
        points.push_back({p.x + n.x / 5, p.y + n.y / 5, p.z + n.z / 5});
    }
}

} // namespace Vextal
